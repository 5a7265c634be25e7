#include "results/ui/find_in_grid.h"

#include "base/product.h"
#include "platform/prompter.h"
#include "results/result_table_model.h"
#include "results/ui/results_grid.h"

namespace tessivar {

ResultsFinder::ResultsFinder(ResultsGrid &grid, Prompter &prompter, QObject *parent)
    : QObject(parent), grid_(&grid), prompter_(prompter)
{
  // Rows filled, removed or sorted anew: the next search starts over.
  if (ResultTableModel *model = grid.resultModel()) {
    const auto restart = [this] { start_.reset(); };
    connect(model, &QAbstractItemModel::modelReset, this, restart);
    connect(model, &QAbstractItemModel::rowsRemoved, this, restart);
    connect(model, &QAbstractItemModel::layoutChanged, this, restart);
  }
}

ResultsFinder::~ResultsFinder() = default;

bool ResultsFinder::findText(const QString &text)
{
  if (grid_.isNull() || grid_->resultModel() == nullptr || text.isEmpty()) return false;
  ResultsGrid &grid = *grid_;
  const std::optional<int> found =
      findResultRow(*grid.resultModel(), text, start_.startRow(grid.currentRow()));
  if (found) {
    start_.found(*found);
    grid.selectRows(*found, *found);
    grid.setTopRow(grid.rows() > 5 && *found > 5 ? *found - 2 : *found);
    return true;
  }

  const QPointer<ResultsFinder> self(this);
  prompter_.ask(PromptIcon::Exclamation, product::applicationName(), findNotFoundText(text));
  if (!self || grid_.isNull()) return false;
  start_.reset();
  grid_->selectRows(1, 1);
  grid_->setTopRow(1);
  return false;
}

}  // namespace tessivar
