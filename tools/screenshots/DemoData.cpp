#include "DemoData.h"

#include "storage/ArticleRecord.h"
#include "storage/CandidateList.h"
#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "storage/SettingsStore.h"

#include <QColor>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QPainter>

namespace pagelore::shots {

namespace {

ArticleRecord article(const QString &title, const QString &writer, const QString &magazine, qint16 first,
                      qint16 last, const QString &category, const QString &form, QDate date, const QString &content,
                      const QString &imageBase, quint8 firstImage, quint8 lastImage)
{
    ArticleRecord a;
    a.Title = title;
    a.Writer = writer;
    a.Magazine = magazine;
    a.FirstPage = first;
    a.LastPage = last;
    a.Category = category;
    a.PublicationForm = form;
    a.PublicationDate = DateValue::fromDate(date);
    a.Content = content;
    a.Keyword1 = category;
    a.ImageBase = imageBase;
    a.FirstImageNo = firstImage;
    a.LastImageNo = lastImage;
    return a;
}

void writePage(const QString &path, int number)
{
    QImage page(600, 840, QImage::Format_RGB32);
    page.fill(QColor(250, 248, 240));
    QPainter p(&page);
    p.setPen(QColor(60, 60, 60));
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPixelSize(40);
    p.setFont(font);
    p.drawText(QRect(40, 40, 520, 80), Qt::AlignLeft, QStringLiteral("%1 ページ").arg(number));
    for (int y = 160; y < 800; y += 28)
        p.fillRect(40, y, 520 - (y % 3) * 40, 10, QColor(180, 180, 180));
    p.end();
    page.save(path, "JPG", 85);
}

}  // namespace

DemoData makeDemoData(const QString &base)
{
    DemoData demo;
    demo.dataFolder = base + QStringLiteral("/記事データ/");
    demo.imageFolder = base + QStringLiteral("/紙面画像/");
    QDir().mkpath(demo.dataFolder);
    QDir().mkpath(demo.imageFolder);
    for (const QString &name : DataFiles::all())
        FileOps::ensureFileExists(demo.dataFolder + name);

    const QString articles = demo.dataFolder + DataFiles::ArticleFile;
    FileOps::appendRecord(articles, article(QStringLiteral("最新CPUの省電力技術"), QStringLiteral("山田太郎"),
                                            QStringLiteral("月刊パソコン技術"), 12, 19, QStringLiteral("CPU"),
                                            PublicationFormChoices().value(0), QDate(1998, 4, 1),
                                            QStringLiteral("クロック制御と電圧制御の解説。"),
                                            QStringLiteral("PC"), 0, 3)
                                        .toRecord());
    FileOps::appendRecord(articles, article(QStringLiteral("表計算ソフト活用術"), QStringLiteral("鈴木花子"),
                                            QStringLiteral("ソフトウェア通信"), 40, 47, QStringLiteral("ソフトウェア"),
                                            PublicationFormChoices().value(0), QDate(1999, 1, 15),
                                            QStringLiteral("マクロで集計を自動化する。"), QStringLiteral("SW"), 0, 1)
                                        .toRecord());
    for (const QString &name : {QStringLiteral("月刊パソコン技術"), QStringLiteral("ソフトウェア通信")})
        CandidateList::AppendCandidate(demo.dataFolder + DataFiles::MagazineList, name);
    for (const QString &name : {QStringLiteral("CPU"), QStringLiteral("ハードウェア"), QStringLiteral("ソフトウェア")})
        CandidateList::AppendCandidate(demo.dataFolder + DataFiles::CategoryList, name);

    for (int n = 0; n <= 3; ++n)
        writePage(demo.imageFolder + QStringLiteral("PC%1.jpg").arg(n), n);
    for (int n = 0; n <= 1; ++n)
        writePage(demo.imageFolder + QStringLiteral("SW%1.jpg").arg(n), n);

    SettingsStore::SaveSetting(kApplicationName, QStringLiteral("FileSave"), QStringLiteral("Address"), demo.dataFolder);
    SettingsStore::SaveSetting(kApplicationName, QStringLiteral("GazouSave"), QStringLiteral("Address"),
                               demo.imageFolder);
    return demo;
}

}  // namespace pagelore::shots
