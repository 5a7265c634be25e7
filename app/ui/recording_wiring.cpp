#include "app/ui/recording_wiring.h"

#include "app/ui/main_menus.h"
#include "app/ui/main_window.h"
#include "app/ui/program_parts.h"
#include "base/product.h"
#include "platform/prompter.h"
#include "results/built_in_player.h"
#include "results/results_layout.h"
#include "results/stream_recording.h"
#include "results/ui/results_grid.h"
#include "scanner/ui/recorder_prompt.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>

namespace tessivar {

StreamRecording &wireRecording(ProgramParts &parts)
{
  MainWindow &window = parts.window();
  auto *recording = new StreamRecording(parts.services().processes, &window);
  recording->setObjectName(QStringLiteral("StreamRecording"));

  auto *shown = new QLabel(window.statusBar());
  shown->setObjectName(QStringLiteral("lblRecording"));
  shown->setTextFormat(Qt::PlainText);
  shown->setAccessibleDescription(QStringLiteral("Recording"));
  shown->hide();
  window.statusBar()->addPermanentWidget(shown);
  QAction *stopEntry = window.controls().menus.menuStopRecord;
  QObject::connect(stopEntry, &QAction::triggered, recording, &StreamRecording::stop);
  QObject::connect(recording, &StreamRecording::changed, shown, [recording, shown, stopEntry] {
    shown->setText(recording->statusText());
    shown->setToolTip(recording->statusText());
    shown->setVisible(recording->isRecording());
    stopEntry->setEnabled(recording->isRecording());
  });
  QObject::connect(recording, &StreamRecording::finished, &window,
                   [&parts](const QString &name, const QString &file, const QString &error) {
                     Prompter &prompter = parts.services().prompter;
                     if (error.isEmpty())
                       prompter.ask(PromptIcon::Information, product::applicationName(),
                                    QStringLiteral("The recording of %1 is saved as\n%2").arg(name, file));
                     else
                       prompter.ask(PromptIcon::Critical, product::applicationName(),
                                    QStringLiteral("The recording of %1 failed: %2").arg(name, error));
                   });

  BuiltInPlayer &player = parts.player();
  QObject::connect(&window, &MainWindow::recordRequested, &window, [&window, &parts, recording, &player] {
    if (!recording->isRecording() && player.isActive()) {
      if (recording->startThrough(player) != StreamRecording::Outcome::Started)
        parts.services().prompter.ask(
            PromptIcon::Critical, product::applicationName(),
            QStringLiteral("The recording of %1 failed: the player could not write the file.")
                .arg(player.stationName()));
      return;
    }
    ResultsGrid *grid = window.activeGrid() == 2 ? window.controls().related : window.controls().results;
    const ResultLayout layout = grid->currentLayout();
    CheckRecord(parts.services(), *recording, grid->currentCell(results_layout::streamUrlColumn(layout)),
                grid->currentCell(results_layout::nameColumn(layout)), &window);
  });
  return *recording;
}

}  // namespace tessivar
