#pragma once

namespace tessivar {

// The arrow-with-hourglass pointer over the whole program, as one part of it asks for it: setting
// it to what it already is does nothing, so each part's "on" is undone by its one "off", also when
// the part goes away while busy.
class BusyPointer final
{
 public:
  BusyPointer() = default;
  ~BusyPointer() { set(false); }
  BusyPointer(const BusyPointer &) = delete;
  BusyPointer &operator=(const BusyPointer &) = delete;

  void set(bool busy);
  bool isOn() const { return on_; }

 private:
  bool on_ = false;
};

}  // namespace tessivar
