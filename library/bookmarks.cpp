#include "library/bookmarks.h"

#include "base/product.h"
#include "platform/prompter.h"
#include "platform/station_list.h"
#include "results/result_table_model.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tessivar {

Bookmarks::Bookmarks(QString path, Prompter &prompter, QObject *parent)
    : QObject(parent), path_(std::move(path)), prompter_(prompter), list_(new StationList(this))
{
  list_->setObjectName(QStringLiteral("lstBModel"));
}

Bookmarks::~Bookmarks() = default;

void Bookmarks::report(const QString &text, bool failure)
{
  prompter_.ask(failure ? PromptIcon::Critical : PromptIcon::Information, product::applicationTitle(), text);
}

void Bookmarks::load()
{
  keepUnreadableFile_ = false;
  if (!QFileInfo::exists(path_)) return;
  const ListFileResult result = list_->loadFromFile(path_);
  if (result) return;
  keepUnreadableFile_ = true;
  report(QStringLiteral("Your bookmarks could not be read.\n\n%1\n\nThe file is left as it is. If you change "
                        "the bookmarks, it is kept beside the new list under another name.")
             .arg(result.message),
         true);
}

bool Bookmarks::save()
{
  QDir().mkpath(QFileInfo(path_).absolutePath());
  const ListFileResult result = list_->saveToFile(path_);
  if (!result) {
    report(QStringLiteral("Your bookmarks could not be saved.\n\n%1").arg(result.message), true);
    return false;
  }
  keepUnreadableFile_ = false;
  // The unreadable file that was replaced, and where it was kept.
  if (!result.message.isEmpty()) report(result.message, false);
  return true;
}

void Bookmarks::unload()
{
  if (!keepUnreadableFile_) save();
}

int Bookmarks::insertionPoint() const
{
  const int current = list_->currentIndex();
  return list_->isSelected(current) ? current : -1;
}

void Bookmarks::insertEntries(const QList<ListEntry> &entries)
{
  if (entries.isEmpty()) return;
  // An insert moves the selected entry down, so each entry lands after the one before.
  for (const ListEntry &entry : entries) list_->insert(insertionPoint(), entry.text, entry.secondText);
  save();
}

int Bookmarks::insertNewEntries(const QList<ListEntry> &entries, bool *saved)
{
  int added = 0;
  for (const ListEntry &entry : entries) {
    if (list_->find(entry.secondText, StationList::Column::SecondText) >= 0) continue;
    list_->insert(insertionPoint(), entry.text, entry.secondText);
    ++added;
  }
  const bool written = save();
  if (saved != nullptr) *saved = written;
  return added;
}

void Bookmarks::removeSelected()
{
  int removed = 0;
  for (int index = 0; index < list_->count();) {
    if (list_->isSelected(index)) {
      list_->remove(index);
      ++removed;
    } else {
      ++index;
    }
  }
  if (removed > 0) save();
}

void Bookmarks::play(int index)
{
  if (index < 0 || index >= list_->count()) return;
  emit playRequested(list_->secondText(index), list_->text(index));
}

bool Bookmarks::exportPlaylist(const QString &path, PlaylistFormat format)
{
  const PlaylistEncoding playlist = encodePlaylist(list_->entries(), format);
  const QString error = writePlaylistFile(path, playlist.bytes);
  if (!error.isEmpty()) {
    report(QStringLiteral("The bookmarks could not be exported to %1: %2").arg(path, error), true);
    return false;
  }
  QString text = QStringLiteral("Exported %1 bookmark(s) to %2.")
                     .arg(list_->count() - playlist.skipped)
                     .arg(QDir::toNativeSeparators(path));
  if (playlist.skipped > 0)
    text += QStringLiteral(" %1 without a usable address were left out.").arg(playlist.skipped);
  report(text, false);
  return true;
}

bool Bookmarks::importPlaylist(const QString &path)
{
  const QString shown = QDir::toNativeSeparators(path);
  const PlaylistDecoding playlist = readPlaylistFile(path);
  if (!playlist.ok) {
    report(
        QStringLiteral("%1 was not imported: %2\n\nYour bookmarks are unchanged.").arg(shown, playlist.error),
        true);
    return false;
  }
  QList<ListEntry> fresh;
  int present = 0;
  for (const ListEntry &entry : playlist.entries) {
    const bool known = list_->find(entry.secondText, StationList::Column::SecondText) >= 0 ||
                       std::any_of(fresh.cbegin(), fresh.cend(), [&entry](const ListEntry &other) {
                         return other.secondText == entry.secondText;
                       });
    if (known) {
      ++present;
    } else {
      fresh.append(entry);
    }
  }
  QString notes;
  if (playlist.skipped > 0)
    notes += QStringLiteral(
                 " %1 entries were skipped: their addresses are not http, https, mms or rtsp stream "
                 "addresses.")
                 .arg(playlist.skipped);
  if (present > 0) notes += QStringLiteral(" %1 entries were already in the bookmarks.").arg(present);
  if (fresh.isEmpty()) {
    report(QStringLiteral("No bookmarks were imported from %1.").arg(shown) + notes, false);
    return false;
  }
  for (const ListEntry &entry : fresh) list_->insert(-1, entry.text, entry.secondText);
  if (!save()) return false;
  report(QStringLiteral("Imported %1 bookmark(s) from %2.").arg(fresh.size()).arg(shown) + notes, false);
  return true;
}

QString bookmarkText(const QString &title, const QString &id)
{
  return title + QStringLiteral(" [ ") + id + QStringLiteral("]");
}

QList<ListEntry> bookmarksOfRows(const ResultTableModel &rows, int first, int last)
{
  QList<ListEntry> entries;
  const int end = std::min(std::max(first, last), rows.rowCount());
  for (int row = std::max(1, std::min(first, last)); row <= end; ++row) {
    const ResultRow clip = rows.resultAt(row, ResultLayout::Archive);
    if (clip.streamUrl.isEmpty()) continue;
    entries.append({bookmarkText(clip.name, clip.itemId), clip.streamUrl, 0});
  }
  return entries;
}

QString defaultBookmarksPath()
{
  return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
      .filePath(QStringLiteral("Bookmarks.lst"));
}

}  // namespace tessivar
