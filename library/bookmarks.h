#pragma once

#include "library/playlist_file.h"
#include "platform/station_list_file.h"

#include <QList>
#include <QObject>
#include <QString>

namespace tessivar {

class Prompter;
class ResultTableModel;
class StationList;

// The user's bookmarks: the list lstB (display text and link per entry, insertion order) and its
// file Bookmarks.lst, written whole and atomically at every change. A file that cannot be read
// is reported and left as it is: the list starts empty, and the file is replaced only once the
// user changes the list (a copy of it is kept beside the new one then).
class Bookmarks final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(Bookmarks)

 public:
  Bookmarks(QString path, Prompter &prompter, QObject *parent = nullptr);
  ~Bookmarks() override;

  [[nodiscard]] StationList &list() { return *list_; }
  [[nodiscard]] QString path() const { return path_; }

  // Reads the file; a missing file is an empty list.
  void load();
  // Writes the whole list. A failure is reported; the answer says whether it was written.
  bool save();
  // Unloading the window: saves, except over an unreadable file the user has not changed.
  void unload();

  // Inserts the entries at the current selection (at the end when nothing is selected), in
  // order, then saves. Duplicates are kept.
  void insertEntries(const QList<ListEntry> &entries);
  // Inserts those of the entries whose link is not in the list yet, then saves. The number added.
  int insertNewEntries(const QList<ListEntry> &entries, bool *saved = nullptr);
  // Removes every selected entry, then saves.
  void removeSelected();
  // Plays the entry: its link as the address, its display text as the name.
  void play(int index);

  // Writes the list as a playlist other players read; reports the outcome.
  bool exportPlaylist(const QString &path, PlaylistFormat format);
  // Appends the stream addresses of an M3U or PLS playlist that are not in the list yet, then
  // saves; reports the outcome. A file that is not a playlist changes nothing.
  bool importPlaylist(const QString &path);

 signals:
  void playRequested(const QString &url, const QString &name);

 private:
  void report(const QString &text, bool failure);
  int insertionPoint() const;

  QString path_;
  Prompter &prompter_;
  StationList *list_;
  // The last load failed and the list has not been changed since: nothing to write over it.
  bool keepUnreadableFile_ = false;
};

// The display text of a result row: its title, " [ ", its item ID, "]".
QString bookmarkText(const QString &title, const QString &id);
// The bookmarks of archive rows `first`..`last` of a result grid (grid rows: 1 is the first data
// row), in row order, from either end of a selection; rows without an address are left out.
QList<ListEntry> bookmarksOfRows(const ResultTableModel &rows, int first, int last);
// Where the bookmarks are kept: Bookmarks.lst in the user's data folder for the program.
QString defaultBookmarksPath();

}  // namespace tessivar
