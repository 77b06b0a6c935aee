#include "UNotifyUpdateDlg.h"

#include "app/UUpdateCheckRunner.h"
#include "base/UAppException.h"
#include "widgets/UHyperLink.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QColor Cream(255, 251, 240);

QFont NoticeFont(bool link)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(13);
    font.setUnderline(link);
    return font;
}

QLabel* NoticeLabel(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(NoticeFont(false));
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    return label;
}
}

TNotifyUpdateDlg::TNotifyUpdateDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("NotifyUpdateDlg"));
    setWindowTitle(QStringLiteral("Upgrade Notify"));
    setFixedSize(460, 163);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Cream);
    setPalette(palette);
    setAutoFillBackground(true);

    lblHeader = NoticeLabel(this, "lblHeader");
    lblNotify = NoticeLabel(this, "lblNotify");
    lblLink = new THyperLink(this);
    lblLink->setObjectName(QStringLiteral("lblLink"));
    lblLink->setFont(NoticeFont(true));
    lblLink->setText(QStringLiteral("Vantorquill"));
    chkNotShow = new QCheckBox(QStringLiteral("Do not remind me again"), this);
    chkNotShow->setObjectName(QStringLiteral("chkNotShow"));
    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblHeader);
    layout->addWidget(lblNotify);
    layout->addWidget(lblLink);
    layout->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(chkNotShow);
    bottom->addStretch();
    bottom->addWidget(btnClose);
    layout->addLayout(bottom);

    connect(chkNotShow, &QCheckBox::clicked, this, Guarded([this](bool) { chkNotShowClick(); }));
    connect(btnClose, &QPushButton::clicked, this, Guarded([this](bool) { btnCloseClick(); }));
}

void TNotifyUpdateDlg::SetNotice(const TUpdateNotice& notice)
{
    setWindowTitle(notice.Caption);
    lblHeader->setText(notice.Header);
    lblNotify->setText(notice.Notify);
    lblNotify->setVisible(!notice.Notify.isEmpty());
    lblLink->URL = notice.LinkAddress;
    lblLink->setText(notice.LinkAddress);
    lblLink->setVisible(!notice.LinkAddress.isEmpty());
}

void TNotifyUpdateDlg::chkNotShowClick()
{
    TUpdateCheck::SaveNotShow(chkNotShow->isChecked());
}

void TNotifyUpdateDlg::btnCloseClick()
{
    close();
}

void TNotifyUpdateDlg::InstallPresenter()
{
    TUpdateCheckRunner::SetPresenter([](const TUpdateNotice& notice) {
        TNotifyUpdateDlg dialog;
        dialog.SetNotice(notice);
        dialog.exec();
    });
}

void TNotifyUpdateDlg::RemovePresenter()
{
    TUpdateCheckRunner::SetPresenter(nullptr);
}
