#pragma once

#include "base/search_choices.h"

#include <QObject>

#include <functional>

namespace tessivar {

class PresetTable;
class Prompter;
struct PresetSlot;

// What the preset buttons do: the press (its look and the hint for an unassigned preset), the
// click (play), and the drop of a station dragged from the results grid (assign). Messages go
// through the prompter; the search mode in force is read when a drop arrives.
class PresetCommands final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(PresetCommands)

 public:
  PresetCommands(PresetTable &table, Prompter &prompter, std::function<SearchMode()> searchMode,
                 QObject *parent = nullptr);
  ~PresetCommands() override;

  // Mouse down on button `index` (0..9).
  void press(int index);
  // Click: plays the slot as it is; the player refuses "NONE" itself.
  void click(int index);
  // A dragged station (name, U+00FF, address) dropped on button `index`.
  void drop(int index, const QString &payload);
  // Stores a station in slot `index` without asking (the scanner's Add Preset), and says how it
  // went. False when nothing was stored.
  bool assignStation(int index, const QString &name, const QString &url);

 signals:
  // The button to show pressed; -1 shows all idle.
  void pressedLookChanged(int index);
  void searchBoxFocusRequested();
  void playRequested(const QString &url, const QString &name);

 private:
  bool store(int index, const PresetSlot &station);

  PresetTable &table_;
  Prompter &prompter_;
  std::function<SearchMode()> searchMode_;
};

}  // namespace tessivar
