#include "frmSplash.h"

#include "Version.h"

#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

// The resources are linked from a static library; naming them here keeps the
// linker from dropping them.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace pagelore {

namespace {

QFont boldFont(qreal points)
{
    QFont font;
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

}  // namespace

frmSplash::frmSplash(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setLineWidth(1);

    initResources();
    imgLogo = new QLabel(Frame1);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(QPixmap(QStringLiteral(":/pagelore/logo.png")));
    imgLogo->setFixedSize(128, 128);
    imgLogo->setScaledContents(true);

    lblProductName = new QLabel(QStringLiteral("Pagelore"), Frame1);
    lblProductName->setObjectName(QStringLiteral("lblProductName"));
    lblProductName->setFont(boldFont(26.25));

    lblVersion = new QLabel(Frame1);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setFont(boldFont(12));

    lblPlatform = new QLabel(QStringLiteral("For 32bit Windows System"), Frame1);
    lblPlatform->setObjectName(QStringLiteral("lblPlatform"));
    lblPlatform->setFont(boldFont(9.75));

    for (QLabel *label : {lblProductName, lblVersion, lblPlatform})
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *grid = new QGridLayout(Frame1);
    grid->setContentsMargins(24, 24, 24, 24);
    grid->setHorizontalSpacing(32);
    grid->addWidget(imgLogo, 0, 0, 4, 1, Qt::AlignTop | Qt::AlignLeft);
    grid->addWidget(lblProductName, 0, 1);
    grid->setRowStretch(1, 1);
    grid->addWidget(lblVersion, 2, 1);
    grid->addWidget(lblPlatform, 3, 1);
    grid->setColumnStretch(1, 1);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addWidget(Frame1);

    // Clicks on the labels and the logo fall through to the frame.
    Frame1->installEventFilter(this);
    setFocusPolicy(Qt::StrongFocus);

    Form_Load();

    resize(sizeHint().expandedTo(QSize(480, 220)));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QString frmSplash::versionText(int major, int minor, int revision)
{
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ %1.%2.%3").arg(major).arg(minor).arg(revision);
}

void frmSplash::Form_Load()
{
    lblVersion->setText(versionText(kVersionMajor, kVersionMinor, kVersionRevision));
}

void frmSplash::Frame1_Click()
{
    close();
}

void frmSplash::Form_KeyPress(QKeyEvent *event)
{
    // Enter and Escape count: both carry a character. Arrows, function keys
    // and lone modifiers carry none and leave the splash alone.
    if (!event->text().isEmpty())
        close();
}

void frmSplash::keyPressEvent(QKeyEvent *event)
{
    Form_KeyPress(event);
}

bool frmSplash::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Frame1 && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && Frame1->rect().contains(mouse->position().toPoint())) {
            Frame1_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace pagelore
