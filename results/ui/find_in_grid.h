#pragma once

#include "results/find_in_results.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace tessivar {

class Prompter;
class ResultsGrid;

// Find and Find Next over the results grid MSHResults (findText): the text last typed into the
// find dialog (lastFindText) and where the next search starts. The related-results grid is never
// searched. The cells are read from the grid's model, so the grid's current cell does not move
// while they are visited and the grid stays as it is (shown, enabled or not) meanwhile.
class ResultsFinder final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(ResultsFinder)

 public:
  ResultsFinder(ResultsGrid &grid, Prompter &prompter, QObject *parent = nullptr);
  ~ResultsFinder() override;

  // Seeks the text from the start row down. Found: the row becomes current and is selected
  // across the full width, scrolled so that two rows above it show when it lies below row 5.
  // Not found: the message "TEXT:  Not Found", then the grid is back on row 1. An empty text
  // does nothing and finds nothing.
  bool findText(const QString &text);
  // menuFindNext: findText with lastFindText.
  bool findNext() { return findText(lastFindText_); }

  QString lastFindText() const { return lastFindText_; }
  void setLastFindText(const QString &text) { lastFindText_ = text; }

 private:
  QPointer<ResultsGrid> grid_;
  Prompter &prompter_;
  QString lastFindText_;
  FindStart start_;
};

}  // namespace tessivar
