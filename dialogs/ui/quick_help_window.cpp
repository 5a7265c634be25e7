#include "dialogs/ui/quick_help_window.h"

#include "base/settings_store.h"
#include "base/site_links.h"
#include "platform/shell_open.h"
#include "platform/ui/artwork.h"
#include "platform/ui/named_label.h"

#include <QEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <array>

namespace tessivar {

namespace {

// One line of a tab: a heading, or a paragraph below it.
struct HelpLine
{
  bool heading;
  const char *text;
};

struct HelpTab
{
  const char *objectName;
  const char *caption;
  std::array<HelpLine, 4> lines;  // a null text ends the list
};

// "&&" in a caption shows as "&": the labels carry the text as shown.
const std::array<HelpTab, 6> helpTabs{{
    {"tabLive",
     "Live Search",
     {{{true, "Start the Live Search"},
       {false, "Select LIVE broadcasts."},
       {false,
        "Enter radio station name, region (location), format or keyword to search for in search box and "
        "click "
        "the SEARCH button."},
       {false,
        "Once stations are listed, simply click the PLAY button to launch player and connect to station.  "
        "Bandwidth column indicates the quality of the broadcast station, the higher the bandwidth, the "
        "better "
        "the quality."}}}},
    {"tabStream",
     "Stream Search",
     {{{true, "Start the Audio/Video Stream Search"},
       {false, "Select Audio & Video Streams."},
       {false,
        "Enter keywords to search.  Our searchable database is growing daily and without limit to subject.  "
        "You "
        "may search for artists, movies, lectures, concerts, interviews or anything else you can possibly "
        "imagine."},
       {false,
        "Once listed, simply press the PLAY button to play the selected item.  If you have found something "
        "you "
        "like you can add it to your bookmarks or email it to a friend with the appropriate toolbar "
        "buttons."}}}},
    {"tabBrowse",
     "Browse",
     {{{true, "Browse Mode"},
       {false,
        "If you would like to browse the catalog of streaming media rather than searching, the browse "
        "feature is "
        "available.  Browse mode is very similar to the card-catalog in a library.  Simply choose a letter "
        "of "
        "the alphabet and Tessivar! Broadcast will display the first 100 clips beginning with that letter."},
       {false,
        "Once you have received your results, you can move to the next or previous page of results or go "
        "directly to a page number."},
       {false, nullptr}}}},
    {"tabPresets",
     "Presets",
     {{{true, "How Do I Use Presets?"},
       {false,
        "Presets are used to save your favorite stations.  To set a preset, simply hold down the SHIFT key "
        "and "
        "drag the station listing from the results window to one of the colored preset buttons."},
       {false,
        "To access or play a station simply click the preset button.  If you want to see which stations are "
        "assigned to your presets, simply point the mouse cursor to the preset and the tooltip will appear "
        "showing the station name."},
       {false, nullptr}}}},
    {"tabScanner",
     "Scanner",
     {{{true, "Using the Scanner"},
       {false,
        "The station scanner can be a great way to find stations without necessarily searching for them.  "
        "Simply press the SCAN button on the toolbar to start."},
       {false,
        "After opening the scan window, select the player you wish to use.  Tessivar! Broadcast will then "
        "cycle "
        "through all the stations that can be played on the player you have selected.  Set the timeout to "
        "tell "
        "Tessivar! Broadcast when to switch stations. "},
       {false, nullptr}}}},
    {"tabSetup",
     "Setup",
     {{{true, "Locating and Downloading Players"},
       {false,
        "If you are missing a player, simply click on the player logo to visit the website and download "
        "desired "
        "player. Please close and restart Tessivar! Broadcast before using the newly installed player."},
       {true, "Proxy Settings"},
       {false,
        "If you are behind a proxy or firewall, enter the proxy address and port in these settings to allow "
        "Tessivar! Broadcast to communicate with the outside world."}}}},
}};

QFont scaledBold(QFont font, double factor)
{
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * factor);
  return font;
}

}  // namespace

QuickHelpWindow::QuickHelpWindow(const AppServices &services, QWidget *parent)
    : QDialog(parent), services_(services)
{
  setObjectName(QStringLiteral("frmQuickHelp"));
  setWindowTitle(QStringLiteral("Tessivar! Broadcast - Quick Help"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  Label1 = makeLabel(QStringLiteral("Label1"), QStringLiteral("Quick Help"), this);
  Label1->setFont(scaledBold(font(), 1.6));
  picLogo = new QLabel(this);
  picLogo->setObjectName(QStringLiteral("picLogo"));
  picLogo->setAccessibleName(QStringLiteral("picLogo"));
  picLogo->setPixmap(artwork::productLogo());
  picLogo->setCursor(Qt::PointingHandCursor);
  picLogo->installEventFilter(this);

  SSTab1 = new QTabWidget(this);
  SSTab1->setObjectName(QStringLiteral("SSTab1"));
  SSTab1->setAccessibleName(QStringLiteral("SSTab1"));
  SSTab1->setUsesScrollButtons(false);
  for (int index = 0; index < static_cast<int>(helpTabs.size()); ++index) {
    SSTab1->addTab(buildTab(index), QString::fromLatin1(helpTabs[static_cast<std::size_t>(index)].caption));
  }

  // A link the keyboard reaches too; its accessible name is the text it shows.
  Label15 = new QLabel(this);
  Label15->setObjectName(QStringLiteral("Label15"));
  Label15->setTextFormat(Qt::RichText);
  Label15->setText(QStringLiteral("<a href=\"#\">Need more help?</a>"));
  Label15->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  connect(Label15, &QLabel::linkActivated, this, [this] {
    shellOpen(services_.shell, services_.prompter, siteLink(services_.settings, SiteLink::Support));
  });

  cmdOK = new QPushButton(QStringLiteral("&OK"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setDefault(true);
  connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

  auto *top = new QHBoxLayout;
  top->addWidget(Label1, 1, Qt::AlignLeft | Qt::AlignVCenter);
  top->addWidget(picLogo, 0, Qt::AlignRight | Qt::AlignVCenter);
  auto *bottom = new QHBoxLayout;
  bottom->addWidget(Label15, 1, Qt::AlignLeft | Qt::AlignVCenter);
  bottom->addWidget(cmdOK, 0, Qt::AlignRight);
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(SSTab1, 1);
  layout->addLayout(bottom);
  resize(560, 420);

  services_.settings.setText(SettingKey::QHShow, QStringLiteral("1"));
}

QuickHelpWindow::~QuickHelpWindow() = default;

QWidget *QuickHelpWindow::buildTab(int index)
{
  const HelpTab &help = helpTabs[static_cast<std::size_t>(index)];
  auto *tab = new QWidget(SSTab1);
  tab->setObjectName(QString::fromLatin1(help.objectName));
  auto *layout = new QVBoxLayout(tab);
  int headings = 0;
  int texts = 0;
  for (const HelpLine &line : help.lines) {
    if (line.text == nullptr) break;
    const QString name = line.heading ? QStringLiteral("lblHead%1_%2").arg(index).arg(headings++)
                                      : QStringLiteral("lblText%1_%2").arg(index).arg(texts++);
    QLabel *label = makeLabel(name, QString::fromLatin1(line.text), tab);
    label->setWordWrap(true);
    if (line.heading) {
      label->setFont(scaledBold(label->font(), 1.15));
      if (headings > 1) layout->addSpacing(8);
    }
    layout->addWidget(label);
  }
  layout->addStretch(1);
  return tab;
}

bool QuickHelpWindow::eventFilter(QObject *watched, QEvent *event)
{
  if (watched == picLogo && event->type() == QEvent::MouseButtonRelease &&
      static_cast<const QMouseEvent *>(event)->button() == Qt::LeftButton) {
    shellOpen(services_.shell, services_.prompter, siteLink(services_.settings, SiteLink::ProductPage));
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace tessivar
