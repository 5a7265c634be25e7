#pragma once

namespace tessivar {

// The engine that plays streams inside the program's own windows (the scanner).
class EmbeddedPlayerEngine
{
 public:
  virtual ~EmbeddedPlayerEngine() = default;
  // Whether a player can be made here: the engine is installed and starts.
  virtual bool available() = 0;
};

// The real engine: libmpv.
class MpvPlayerEngine final : public EmbeddedPlayerEngine
{
 public:
  bool available() override;
};

}  // namespace tessivar
