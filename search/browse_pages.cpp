#include "search/browse_pages.h"

#include "base/number_value.h"

namespace tessivar {

int BrowsePages::openLetter(const QString &letter)
{
  letter_ = letter;
  // No page of this letter is in force until its first page has arrived.
  pageBefore_ = 0;
  currentPage_ = 1;
  // The count of the letter browsed before does not hold for this one.
  totalPages_.clear();
  return 0;
}

int BrowsePages::step(int delta)
{
  pageBefore_ = currentPage_;
  currentPage_ = delta > 0 ? currentPage_ + 1 : currentPage_ - 1;
  return currentPage_;
}

std::optional<int> BrowsePages::go(QStringView typed)
{
  const QString digits = typed.trimmed().toString();
  if (digits.isEmpty()) return std::nullopt;
  const int page = wholeNumberValue(digits);
  if (page < 1 || page > numberValue(totalPages_)) return std::nullopt;
  pageBefore_ = currentPage_;
  currentPage_ = page;
  return page;
}

void BrowsePages::finished(bool succeeded)
{
  if (!succeeded) {
    currentPage_ = pageBefore_;
    // A count that arrived with a failed first page is not paged through either.
    if (currentPage_ == 0) totalPages_.clear();
  }
  pageBefore_ = currentPage_;
}

QString BrowsePages::pageLabelText() const
{
  if (currentPage_ == 0) return QStringLiteral("  Current Page : 0 of 0");
  return QStringLiteral("Current Page : (") + QString::number(currentPage_) + QStringLiteral(" of ") +
         totalPages_ + QLatin1Char(')');
}

bool BrowsePages::nextEnabled() const
{
  return currentPage_ < numberValue(totalPages_);
}

QString invalidPageMessage()
{
  return QStringLiteral("Invalid page number.");
}

}  // namespace tessivar
