#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tessivar {

// A one-click search of the "&Select Format" menu: the text put in the search box and the
// category class sent as FMT (1 talk and service categories, 2 music genres).
struct GenreSearch
{
  QString text;
  int formatCode = -1;
};

// The genre search of a menu entry by its control name ("menuJazz"); none for entries that are
// not genre searches ("menuTV", "menuAll").
std::optional<GenreSearch> genreSearch(QStringView menuName);

}  // namespace tessivar
