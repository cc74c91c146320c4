#include "Form7.h"

#include "platform/ui/MessageBox.h"
#include "storage/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace pagelore {

const QString Form7::kMessageTitle = QStringLiteral("画像ﾃﾞｰﾀなし");

namespace {

const QString kNoImage = QStringLiteral("画像ﾃﾞｰﾀがありません。");
// A scan is decoded straight to the picture area's size; the limit only
// stops a damaged or hostile file from asking for an absurd buffer.
constexpr int kAllocationLimitMB = 128;

} // namespace

Form7::Form7(const PageImageSelection &selection, QWidget *parent) : QDialog(parent), m_selection(selection)
{
    setWindowTitle(QStringLiteral("画像ﾃﾞｰﾀ"));

    Image1 = new QLabel;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(kPictureWidth, kPictureHeight);
    Image1->setScaledContents(true);
    Image1->setFrameShape(QFrame::Box);
    Image1->setLineWidth(0);

    Label1 = new QLabel(QStringLiteral("縦横比がおかしい場合もあります。"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Command1 = new QPushButton(QStringLiteral("次のﾍﾟｰｼﾞ"));
    Command2 = new QPushButton(QStringLiteral("前のﾍﾟｰｼﾞ"));
    Command3 = new QPushButton(QStringLiteral("このウインドウを消す"));
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2->setObjectName(QStringLiteral("Command2"));
    Command3->setObjectName(QStringLiteral("Command3"));
    for (QPushButton *b : {Command1, Command2, Command3})
        b->setAutoDefault(false);

    auto *right = new QVBoxLayout;
    right->setContentsMargins(0, 6, 0, 0);
    right->addWidget(Label1);
    right->addStretch();
    right->addWidget(Command1);
    right->addWidget(Command2);
    right->addWidget(Command3);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 6, 6);
    layout->addWidget(Image1, 0, Qt::AlignTop);
    layout->addLayout(right);
    const int rightWidth = Command3->sizeHint().width();
    Label1->setFixedWidth(rightWidth);
    setFixedSize(sizeHint().expandedTo(QSize(kPictureWidth + 84, kPictureHeight + 6)));

    connect(Command1, &QPushButton::clicked, this, &Form7::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form7::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form7::Command3_Click);

    // The keys a reader turns pages with, doing what the buttons do.
    const auto onKey = [this](QKeySequence key, void (Form7::*handler)()) {
        connect(new QShortcut(key, this), &QShortcut::activated, this, handler);
    };
    onKey(QKeySequence(Qt::Key_PageDown), &Form7::Command1_Click);
    onKey(QKeySequence(Qt::Key_Right), &Form7::Command1_Click);
    onKey(QKeySequence(Qt::Key_PageUp), &Form7::Command2_Click);
    onKey(QKeySequence(Qt::Key_Left), &Form7::Command2_Click);
}

bool Form7::refuseWithoutImages()
{
    if (!m_selection.isEmpty())
        return false;
    MessageBox::inform(this, kNoImage, kMessageTitle);
    return true;
}

void Form7::Form_Load()
{
    if (refuseWithoutImages())
        return;
    m_current = m_selection.FirstImageNo;
    loadPage();
}

void Form7::openModal()
{
    Form_Load();
    exec();
}

void Form7::Command1_Click()
{
    if (refuseWithoutImages())
        return;
    // 255 is the highest page number there is, even when the article's last
    // number lies below its first and the equality test never stops the walk.
    if (m_current == m_selection.LastImageNo || m_current == 255) {
        MessageBox::inform(this, QStringLiteral("これ以後の画像ﾌｧｲﾙはありません"), kMessageTitle);
        return;
    }
    ++m_current;
    loadPage();
}

void Form7::Command2_Click()
{
    if (refuseWithoutImages())
        return;
    if (m_current == m_selection.FirstImageNo) {
        MessageBox::inform(this, QStringLiteral("これ以前のﾌｧｲﾙはありません"), kMessageTitle);
        return;
    }
    --m_current;
    loadPage();
}

void Form7::Command3_Click()
{
    close();
}

void Form7::loadPage()
{
    Image1->clear();
    const QString path = PageImagePath(ImageFolder(), m_selection.ImageBase, m_current);
    QImageReader::setAllocationLimit(kAllocationLimitMB);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    // Decoding at the area's size lets the JPEG decoder skip most of the work
    // on a large scan; the stretch ignores the picture's own proportions.
    reader.setScaledSize(QSize(kPictureWidth, kPictureHeight));
    const QImage image = reader.read();
    if (image.isNull()) {
        const QString file = QDir::toNativeSeparators(path);
        const QString text = QFileInfo::exists(path)
                                 ? QStringLiteral("画像ﾌｧｲﾙ「%1」は、JPEG画像として読み込めません。").arg(file)
                                 : QStringLiteral("画像ﾌｧｲﾙ「%1」が見つかりません。").arg(file);
        MessageBox::inform(this, text, kMessageTitle);
        return;
    }
    Image1->setPixmap(QPixmap::fromImage(image));
}

} // namespace pagelore
