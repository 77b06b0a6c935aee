#include "UStartTaskDlg.h"

#include "UDialogLook.h"
#include "base/UAppException.h"
#include "settings/UAppSettings.h"
#include "platform/registry/UMruList.h"
#include "transfer/ULobExportSession.h"
#include "transfer/ULobImportSession.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

namespace {

QPushButton* LinkButton(const QString& name, const QString& text, QWidget* parent)
{
    auto* link = new QPushButton(text, parent);
    link->setObjectName(name);
    link->setFlat(true);
    link->setCursor(Qt::PointingHandCursor);
    link->setStyleSheet(QStringLiteral("QPushButton { color: #0000ff; text-decoration: underline; border: none;"
                                       " text-align: left; padding: 1px 4px; }"));
    return link;
}

QLabel* HeadingLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QToolButton* RecentButton(const QString& name, const QString& accessibleName, QMenu* menu, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(QStringLiteral("..."));
    button->setAccessibleName(accessibleName);
    button->setPopupMode(QToolButton::MenuButtonPopup);
    button->setMenu(menu);
    return button;
}

}  // namespace

TStartTaskDlg::TStartTaskDlg(QWidget* parent)
    : QDialog(parent),
      lbl2(HeadingLabel(QStringLiteral("lbl2"), QStringLiteral("Start New Task"), this)),
      alblNewImportLob(LinkButton(QStringLiteral("alblNewImportLob"), QStringLiteral("Import LOB From Files"), this)),
      alblNewExportLob(LinkButton(QStringLiteral("alblNewExportLob"), QStringLiteral("Export LOB To Files"), this)),
      lbl3(HeadingLabel(QStringLiteral("lbl3"), QStringLiteral("Load Saved Task"), this)),
      alblLoadImportTask(
          LinkButton(QStringLiteral("alblLoadImportTask"), QStringLiteral("Import LOB From Files"), this)),
      alblLoadExportTask(
          LinkButton(QStringLiteral("alblLoadExportTask"), QStringLiteral("Export LOB To Files"), this)),
      alblEditLob(LinkButton(QStringLiteral("alblEditLob"), QStringLiteral("View/Edit LOB data"), this)),
      chkNotShow(new QCheckBox(QStringLiteral("Do not show on start"), this)),
      btnClose(new QPushButton(QStringLiteral("Close"), this)),
      pmImportTasks(new QMenu(this)),
      pmExportTasks(new QMenu(this))
{
    setObjectName(QStringLiteral("TStartTaskDlg"));
    chkNotShow->setObjectName(QStringLiteral("chkNotShow"));
    btnClose->setObjectName(QStringLiteral("btnClose"));
    pmImportTasks->setObjectName(QStringLiteral("pmImportTasks"));
    pmExportTasks->setObjectName(QStringLiteral("pmExportTasks"));
    btnImportTasks = RecentButton(QStringLiteral("btnImportTasks"), QStringLiteral("Recent import tasks"),
                                  pmImportTasks, this);
    btnExportTasks = RecentButton(QStringLiteral("btnExportTasks"), QStringLiteral("Recent export tasks"),
                                  pmExportTasks, this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(lbl2, 0, 0, 1, 2);
    layout->addWidget(alblNewImportLob, 1, 0);
    layout->addWidget(alblNewExportLob, 2, 0);
    layout->addWidget(lbl3, 3, 0, 1, 2);
    layout->addWidget(alblLoadImportTask, 4, 0);
    layout->addWidget(btnImportTasks, 4, 1);
    layout->addWidget(alblLoadExportTask, 5, 0);
    layout->addWidget(btnExportTasks, 5, 1);
    layout->addWidget(alblEditLob, 6, 0, 1, 2);
    auto* bottom = new QHBoxLayout();
    bottom->addWidget(chkNotShow);
    bottom->addStretch(1);
    bottom->addWidget(btnClose);
    layout->addLayout(bottom, 7, 0, 1, 2);

    connect(alblNewImportLob, &QPushButton::clicked, this, Guarded([this] { alblNewImportLobClick(); }));
    connect(alblNewExportLob, &QPushButton::clicked, this, Guarded([this] { alblNewExportLobClick(); }));
    connect(alblLoadImportTask, &QPushButton::clicked, this, Guarded([this] { alblLoadImportTaskClick(); }));
    connect(btnImportTasks, &QToolButton::clicked, this, Guarded([this] { alblLoadImportTaskClick(); }));
    connect(alblLoadExportTask, &QPushButton::clicked, this, Guarded([this] { alblLoadExportTaskClick(); }));
    connect(btnExportTasks, &QToolButton::clicked, this, Guarded([this] { alblLoadExportTaskClick(); }));
    connect(alblEditLob, &QPushButton::clicked, this, Guarded([this] { alblEditLobClick(); }));
    connect(chkNotShow, &QCheckBox::clicked, this, Guarded([this] { chkNotShowClick(); }));
    connect(btnClose, &QPushButton::clicked, this, Guarded([this] { btnCloseClick(); }));
    connect(pmImportTasks, &QMenu::triggered, this, Guarded([this](QAction* item) {
                const QString fileName = item->data().toString();
                HandOver([this, fileName] { Q_EMIT OpenImportTaskFileRequested(fileName); });
            }));
    connect(pmExportTasks, &QMenu::triggered, this, Guarded([this](QAction* item) {
                const QString fileName = item->data().toString();
                HandOver([this, fileName] { Q_EMIT OpenExportTaskFileRequested(fileName); });
            }));

    FormCreate();
    ApplyDialogLook(this, windowTitle());
}

void TStartTaskDlg::FormCreate()
{
    setWindowTitle(QStringLiteral("Start a task - Vantorquill"));
    FillRecentMenu(pmImportTasks, TLobImportSession::RecentKey);
    FillRecentMenu(pmExportTasks, TLobExportSession::RecentKey);
    chkNotShow->setChecked(!TAppSettings::ShowLaunch);
}

void TStartTaskDlg::FillRecentMenu(QMenu* menu, const QString& recentKey)
{
    for (const QString& fileName : TMruList(recentKey, TTaskSession::MaxRecentFiles).Items()) {
        // The path travels in the item's data: the caption only shows it,
        // with "&" doubled so that no letter becomes a hot key.
        QAction* item = menu->addAction(QString(fileName).replace(QLatin1Char('&'), QStringLiteral("&&")));
        item->setData(fileName);
    }
}

void TStartTaskDlg::HandOver(const std::function<void()>& handOver)
{
    struct CloseAfterwards {
        TStartTaskDlg* dialog;
        ~CloseAfterwards() { dialog->close(); }
    } closeAfterwards{this};
    handOver();
}

void TStartTaskDlg::alblNewImportLobClick()
{
    HandOver([this] { Q_EMIT NewImportLobRequested(); });
}

void TStartTaskDlg::alblNewExportLobClick()
{
    HandOver([this] { Q_EMIT NewExportLobRequested(); });
}

void TStartTaskDlg::alblLoadImportTaskClick()
{
    HandOver([this] { Q_EMIT OpenImportTaskRequested(); });
}

void TStartTaskDlg::alblLoadExportTaskClick()
{
    HandOver([this] { Q_EMIT OpenExportTaskRequested(); });
}

void TStartTaskDlg::alblEditLobClick()
{
    close();
}

void TStartTaskDlg::chkNotShowClick()
{
    TAppSettings::ShowLaunch = !chkNotShow->isChecked();
    TAppSettings::Save();
}

void TStartTaskDlg::btnCloseClick()
{
    close();
}
