#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tessivar {

// The letter browse: BrowseLetter, CurrentPage and TotalPages with the rules of the page
// controls. Pages are counted from 1; the first page of a letter is asked for as page 0.
class BrowsePages
{
 public:
  QString letter() const { return letter_; }
  int currentPage() const { return currentPage_; }
  QString totalPages() const { return totalPages_; }
  // The page count from a page's total-pages marker, compared as a number.
  void setTotalPages(const QString &totalPages) { totalPages_ = totalPages; }

  // A letter opened: page 1, and no page count until its first page tells it. Returns the page
  // number to ask for (0).
  int openLetter(const QString &letter);
  // "Previous" (step -1) or "Next" (step +1): the page to ask for.
  int step(int delta);
  // "Go": the page typed in the page box, when it is a page of the letter (1 to the page count);
  // none otherwise ("Invalid page number.", nothing asked for).
  std::optional<int> go(QStringView typed);
  // The request for a page has ended. One that failed or was stopped leaves the current page
  // where it was before, so the next step asks for the page that did not arrive. A letter whose
  // first page did not arrive has no page and no count (current page 0): the page controls ask
  // for nothing until the letter is opened again.
  void finished(bool succeeded);

  // "Current Page : (" + CurrentPage + " of " + TotalPages + ")"; the bar's first text while no
  // page of a letter is in force.
  QString pageLabelText() const;
  bool previousEnabled() const { return currentPage_ > 1; }
  bool nextEnabled() const;

 private:
  QString letter_;
  int currentPage_ = 0;
  int pageBefore_ = 0;
  QString totalPages_;
};

QString invalidPageMessage();

}  // namespace tessivar
