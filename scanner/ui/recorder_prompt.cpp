#include "scanner/ui/recorder_prompt.h"

#include "base/product.h"
#include "base/site_links.h"
#include "platform/app_services.h"
#include "platform/prompter.h"
#include "platform/shell_opener.h"
#include "results/stream_recording.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace tessivar {

RecorderPrompt::RecorderPrompt(const AppServices &services, QWidget *parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("frmTotal"));
  setWindowTitle(QStringLiteral("ERROR : Missing Component"));
  setAttribute(Qt::WA_DeleteOnClose);

  auto *picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("Picture1"));
  picture->setAccessibleName(QStringLiteral("Missing component"));
  picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(48, 48));
  auto *text = new QLabel(
      QStringLiteral("To record with Tessivar! Broadcast you must have Total Recorder installed."), this);
  text->setObjectName(QStringLiteral("Label1"));
  text->setWordWrap(true);
  auto *cmdNO = new QPushButton(QStringLiteral("No Thanks"), this);
  cmdNO->setObjectName(QStringLiteral("cmdNO"));
  connect(cmdNO, &QPushButton::clicked, this, &QDialog::close);
  auto *command1 = new QPushButton(QStringLiteral("Get Info"), this);
  command1->setObjectName(QStringLiteral("Command1"));
  connect(command1, &QPushButton::clicked, this, [&settings = services.settings, &shell = services.shell] {
    shell.open(siteLink(settings, SiteLink::RecorderPage));
  });

  auto *top = new QHBoxLayout;
  top->addWidget(picture, 0, Qt::AlignTop);
  top->addWidget(text, 1);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdNO);
  buttons->addWidget(command1);
  auto *column = new QVBoxLayout(this);
  column->addLayout(top);
  column->addLayout(buttons);
}

RecorderPrompt::~RecorderPrompt() = default;

QDialog *CheckRecord(const AppServices &services, StreamRecording &recording, const QString &streamAddress,
                     const QString &stationName, QWidget *parent)
{
  if (recording.isRecording()) {
    recording.stop();
    return nullptr;
  }
  const StreamRecording::Outcome outcome = recording.start(streamAddress, stationName);
  if (outcome == StreamRecording::Outcome::Started) return nullptr;
  if (outcome == StreamRecording::Outcome::NoStream || outcome == StreamRecording::Outcome::NotRecordable) {
    services.prompter.ask(PromptIcon::Critical, product::applicationName(),
                          outcome == StreamRecording::Outcome::NoStream
                              ? QStringLiteral("No item selected.")
                              : QStringLiteral("This stream cannot be recorded: the recorder takes only http "
                                               "and https addresses."));
    return nullptr;
  }
  auto *prompt = new RecorderPrompt(services, parent);
  // Modal while there is no recorder at all; a recorder that would not start leaves the program
  // usable beside the window.
  if (outcome == StreamRecording::Outcome::NotInstalled) prompt->setWindowModality(Qt::ApplicationModal);
  prompt->show();
  return prompt;
}

}  // namespace tessivar
