#include "gui/about_dialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace kalvento::gui {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("バージョン情報"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("applicationIcon"));
    QIcon application_icon = QApplication::windowIcon();
    if (application_icon.isNull())
        application_icon = style()->standardIcon(QStyle::SP_ComputerIcon);
    icon->setPixmap(application_icon.pixmap(32, 32));

    auto* version = new QLabel(
        QStringLiteral("Kalvento バージョン %1").arg(QApplication::applicationVersion()), this);
    version->setObjectName(QStringLiteral("versionLine"));
    auto* notice = new QLabel(
        QStringLiteral("TSファイル名変更ツール (Qt %1)").arg(QString::fromLatin1(qVersion())),
        this);
    notice->setObjectName(QStringLiteral("noticeLine"));
    auto* note =
        new QLabel(QStringLiteral("＋Kalvento.exeにOmbrixのファイル名置換コマンドっぽいのを\n"
                                  "付けてコンソールアプリにしてみた。 "),
                   this);
    note->setObjectName(QStringLiteral("note"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(version, 0, 1);
    layout->addWidget(notice, 1, 1);
    layout->addWidget(note, 2, 1);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace kalvento::gui
