#include "DemoCollection.h"

#include "storage/CandidateList.h"
#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "storage/SettingsStore.h"
#include "storage/StorageError.h"

#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>

namespace pagelore::demo {

namespace {

struct Entry {
    const char *title;
    const char *writer;
    const char *magazine;
    qint16 firstPage;
    qint16 lastPage;
    const char *category;
    int form;  // index into PublicationFormChoices()
    int year, month, day;
    const char *content;
    const char *keyword1;
    const char *keyword2;
    const char *keyword3;
    const char *imageBase;
    quint8 firstImage;
    quint8 lastImage;
};

enum Form { Feature, Serial, Advert, Contribution, Review, RoadTest, Supplement };

// In the order they were "registered". Dates 1900/1/1 stand for an unknown
// date, as the entry screen tells the user to write. Every writer and keyword
// is filled in: a search hits any article whose field is as empty as the
// condition left blank, so blank fields would turn up in every search.
constexpr Entry kEntries[] = {
    {"最新CPUの省電力技術", "山田太郎", "月刊パソコン技術", 12, 19, "CPU", Feature, 1998, 4, 1,
     "クロック制御と電圧制御の仕組みを図解。\n携帯機での効果も実測した。", "省電力", "クロック", "電圧", "PC", 0, 3},
    {"表計算ソフト活用術 第1回 マクロ入門", "鈴木花子", "ソフトウェア通信", 40, 47, "ソフトウェア", Serial, 1999, 1,
     15, "マクロで月末の集計を自動化する。", "表計算", "マクロ", "自動化", "HYO", 1, 2},
    {"表計算ソフト活用術 第2回 グラフ作成", "鈴木花子", "ソフトウェア通信", 38, 45, "ソフトウェア", Serial, 1999, 2,
     15, "売上表から見やすいグラフを作る手順。", "表計算", "グラフ", "売上", "", 0, 0},
    {"表計算ソフト活用術 第3回 データベース機能", "鈴木花子", "ソフトウェア通信", 42, 49, "ソフトウェア", Serial,
     1999, 3, 15, "並べ替えと抽出。\n住所録を例に。\n次回は印刷の工夫。", "表計算", "データベース", "住所録", "", 0, 0},
    {"家庭内LANを組もう", "佐藤健一", "週刊デジタル生活", 22, 29, "ネットワーク", Feature, 1999, 6, 10,
     "二台のパソコンをつなぐまで。\nケーブルの種類とハブの選び方。", "LAN", "ハブ", "ケーブル", "LAN", 1, 4},
    {"新型ノートパソコン徹底比較", "編集部", "月刊パソコン技術", 56, 71, "ハードウェア", Review, 1998, 11, 1,
     "十二機種の重さ、電池の持ち、キーボードを比べた。", "ノートパソコン", "電池", "比較", "NOTE", 0, 2},
    {"大容量ハードディスクの選び方", "高橋修", "月刊パソコン技術", 80, 85, "ハードウェア", Contribution, 1998, 7, 1,
     "回転数とキャッシュ容量の違いを読み解く。", "ハードディスク", "容量", "キャッシュ", "", 0, 0},
    {"プリンタ新製品のご案内", "広告部", "週刊デジタル生活", 2, 3, "ハードウェア", Advert, 1999, 6, 10, "",
     "プリンタ", "新製品", "広告", "", 0, 0},
    {"デジタルカメラ入門", "田中美咲", "写真工房", 14, 21, "カメラ", Feature, 2000, 3, 20,
     "画素数だけで選ばない。\n露出と白の調整を覚えよう。", "デジタルカメラ", "露出", "ホワイトバランス", "CAM", 0,
     3},
    {"一眼レフで撮る夜景 第4回", "伊藤大輔", "写真工房", 30, 37, "カメラ", Serial, 2000, 4, 20,
     "三脚と長時間露光。港の夜景を撮る。", "夜景", "三脚", "露光", "", 0, 0},
    {"標準ズームレンズ試用記", "伊藤大輔", "写真工房", 60, 63, "カメラ", Review, 2000, 5, 20,
     "旅先で一週間使ってみた。", "レンズ", "ズーム", "旅行", "", 0, 0},
    {"特製カレンダー 四季の風景", "編集部", "写真工房", 0, 0, "カメラ", Supplement, 2000, 12, 20,
     "読者投稿の十二枚。", "カレンダー", "風景", "読者投稿", "", 0, 0},
    {"寝台特急の旅 北へ", "渡辺誠", "鉄路の旅", 8, 17, "鉄道", Feature, 2001, 2, 1,
     "夜の駅を出て朝の雪原へ。\n個室寝台の過ごし方。\n食堂車の献立。", "寝台特急", "雪", "食堂車", "TRAIN", 0, 4},
    {"ローカル線紀行 第5回 海沿いの単線", "渡辺誠", "鉄路の旅", 40, 45, "鉄道", Serial, 2001, 3, 1,
     "一日六往復の小さな路線を歩く。", "ローカル線", "単線", "紀行", "", 0, 0},
    {"新型車両の運転席から", "中村隆", "鉄路の旅", 50, 53, "鉄道", Contribution, 2001, 4, 1,
     "運転士が語る加速と制動の違い。", "運転士", "車両", "制動", "", 0, 0},
    {"全国時刻表ダイジェスト", "編集部", "鉄路の旅", 0, 0, "鉄道", Supplement, 2001, 4, 1, "", "時刻表", "全国", "ダイジェスト", "",
     0, 0},
    {"新型セダン 一千キロ走行", "小林浩二", "自動車評論", 24, 33, "自動車", RoadTest, 1999, 9, 26,
     "高速道路と山道で燃費と乗り心地を測る。\n後席の広さも確かめた。", "セダン", "燃費", "乗り心地", "CAR", 0,
     3},
    {"軽自動車 三車種比較", "小林浩二", "自動車評論", 34, 41, "自動車", RoadTest, 1999, 10, 26,
     "街乗りでの取り回しと荷室を比べる。", "軽自動車", "荷室", "比較", "", 0, 0},
    {"冬のタイヤ選び", "加藤由美", "自動車評論", 60, 65, "自動車", Feature, 1999, 11, 26,
     "雪道と凍結路での止まり方の違い。", "タイヤ", "雪道", "凍結", "", 0, 0},
    {"新車発表会のお知らせ", "広告部", "自動車評論", 98, 99, "自動車", Advert, 1999, 11, 26, "", "新車", "発表会",
     "広告", "", 0, 0},
    {"旬の野菜で作る常備菜", "山本和子", "暮らしと台所", 6, 13, "料理", Feature, 2000, 6, 5,
     "なす、きゅうり、ピーマン。\n冷蔵庫で三日もつ八品。", "常備菜", "夏野菜", "保存", "VEG", 0, 2},
    {"一週間の献立 第12回", "山本和子", "暮らしと台所", 20, 25, "料理", Serial, 2000, 7, 5,
     "買い物一回で七日分。", "献立", "買い物", "節約", "", 0, 0},
    {"減塩でもおいしい味噌汁", "吉田恵", "暮らしと台所", 30, 33, "健康", Contribution, 2000, 8, 5,
     "だしを濃くして塩を減らす。", "減塩", "味噌汁", "だし", "", 0, 0},
    {"包丁の研ぎ方", "山口一郎", "暮らしと台所", 40, 43, "料理", Feature, 1900, 1, 1,
     "切り抜きのみ残っていて号は不明。", "包丁", "砥石", "手入れ", "", 0, 0},
    {"A*探索で迷路を解く", "松本直樹", "ソフトウェア通信", 70, 77, "ソフトウェア", Contribution, 2000, 10, 15,
     "最短経路を速く見つける探索法。\n見積もり関数の選び方で速さが変わる。", "A*", "探索", "アルゴリズム", "", 0,
     0},
    {"*印の付いたコマンド一覧", "編集部", "月刊パソコン技術", 0, 0, "ソフトウェア", Supplement, 1998, 12, 1,
     "*印は管理者だけが使えるコマンド。", "コマンド", "*印", "管理者", "", 0, 0},
    {"ファイル名の * と ? を使いこなす", "井上聡", "ソフトウェア通信", 50, 55, "ソフトウェア", Serial, 2000, 11, 15,
     "ワイルドカードで一度に多くのファイルを扱う。", "ワイルドカード", "アスタリスク", "疑問符", "", 0, 0},
    {"ルータ設定の基本", "佐藤健一", "週刊デジタル生活", 30, 35, "ネットワーク", Serial, 1999, 7, 8,
     "アドレスの割り当てと接続の確認。", "ルータ", "アドレス", "接続", "NET", 0, 1},
    {"無線LANの電波を考える", "木村亮", "週刊デジタル生活", 40, 43, "ネットワーク", Contribution, 2001, 5, 17,
     "壁と床で電波はどれだけ弱まるか。", "無線LAN", "電波", "受信", "", 0, 0},
    {"メモリ増設のすすめ", "高橋修", "月刊パソコン技術", 90, 97, "ハードウェア", Feature, 1999, 2, 1,
     "差し込むだけで速くなる理由。\n相性問題の避け方。", "メモリ", "増設", "相性", "", 0, 0},
    {"次世代CPUの展望", "山田太郎", "月刊パソコン技術", 20, 27, "CPU", Contribution, 2000, 1, 1,
     "命令の並列実行とキャッシュの階層。", "CPU", "並列", "キャッシュ", "NEXT", 0, 2},
    {"CPUクーラー五製品レビュー", "林正人", "月刊パソコン技術", 100, 105, "CPU", Review, 2000, 8, 1,
     "静かさと冷え方を測った。", "冷却", "静音", "CPUクーラー", "", 0, 0},
    {"ワープロソフト新版の実力", "清水真理", "ソフトウェア通信", 20, 25, "ソフトウェア", Review, 1999, 4, 15,
     "縦書きと長文の編集を試す。", "ワープロ", "縦書き", "長文", "", 0, 0},
    {"古いカメラを直して使う", "森田修一", "写真工房", 70, 75, "カメラ", Contribution, 2001, 1, 20,
     "蛇腹の穴をふさぐ。\nシャッターの掃除。\n試し撮りの結果。", "修理", "フィルムカメラ", "蛇腹", "OLD", 2, 4},
    {"電動アシスト自転車 試乗記", "加藤由美", "自動車評論", 80, 85, "自動車", RoadTest, 2000, 4, 26,
     "坂道の多い町で一週間。", "自転車", "電動アシスト", "坂道", "", 0, 0},
    {"駅弁の楽しみ", "渡辺誠", "鉄路の旅", 60, 61, "料理", Serial, 1900, 1, 1,
     "掛け紙の収集も楽しい。", "駅弁", "掛け紙", "収集", "", 0, 0},
    {"肩こりとパソコン作業", "吉田恵", "週刊デジタル生活", 50, 53, "健康", Feature, 2001, 6, 14,
     "画面の高さと椅子の合わせ方。\n一時間ごとの体操。", "肩こり", "姿勢", "体操", "", 0, 0},
    {"家計簿ソフト比較", "清水真理", "暮らしと台所", 50, 55, "ソフトウェア", Review, 2001, 1, 5,
     "入力の手間と集計の見やすさ。", "家計簿", "比較", "集計", "", 0, 0},
    {"パソコン通信からインターネットへ", "木村亮", "月刊パソコン技術", 30, 41, "ネットワーク", Feature, 1999, 5, 1,
     "掲示板の時代からホームページの時代へ。\n接続の費用はどう変わったか。", "インターネット", "パソコン通信",
     "接続", "WEB", 0, 3},
    {"年末大売り出し", "広告部", "月刊パソコン技術", 150, 151, "ハードウェア", Advert, 1999, 12, 1, "", "売り出し",
     "年末", "広告", "", 0, 0},
};

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// Filler for the columns: the article's own note first, then these.
constexpr const char *kSentences[] = {
    "本誌では読者の皆さんから寄せられた質問をもとに、毎号ひとつの話題を掘り下げています。",
    "今回は実際に手を動かしながら、つまずきやすい点を順に確かめていきましょう。",
    "写真は編集部で撮影したもので、条件によって結果が変わることがあります。",
    "数字はいずれも取材時点のもので、価格や仕様はその後変わっている場合があります。",
    "最後に、今回の内容をまとめた表を次のページに載せました。",
    "ご意見やご感想は、巻末の読者はがきでお寄せください。",
    "次号では、今回触れられなかった応用の方法を紹介する予定です。",
    "少しの工夫で、毎日の作業がずっと楽になるはずです。",
};

QFont pageFont(const QString &family, int pixelSize, bool bold = false)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// A small landscape so that the picture box holds more than a grey block.
void drawPicture(QPainter &p, const QRect &box, int seed)
{
    static const QColor skies[] = {QColor(120, 170, 220), QColor(240, 170, 110), QColor(90, 110, 170),
                                   QColor(150, 200, 190)};
    QLinearGradient sky(box.topLeft(), box.bottomLeft());
    sky.setColorAt(0, skies[seed % 4]);
    sky.setColorAt(1, QColor(245, 240, 225));
    p.fillRect(box, sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 220, 120));
    const int sun = box.height() / 6;
    p.drawEllipse(QPoint(box.left() + box.width() * (2 + seed % 5) / 8, box.top() + box.height() / 4), sun, sun);
    QPainterPath hills;
    hills.moveTo(box.bottomLeft());
    for (int i = 0; i <= 8; ++i) {
        const int x = box.left() + box.width() * i / 8;
        const int y = box.top() + box.height() * (55 + ((i * 7 + seed * 3) % 5) * 6) / 100;
        hills.lineTo(x, y);
    }
    hills.lineTo(box.bottomRight());
    hills.closeSubpath();
    p.setBrush(QColor(70 + seed % 3 * 20, 120, 80));
    p.drawPath(hills);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.drawRect(box);
}

}  // namespace

const std::vector<ArticleRecord> &demoArticles()
{
    static const std::vector<ArticleRecord> articles = [] {
        std::vector<ArticleRecord> list;
        for (const Entry &e : kEntries) {
            ArticleRecord a;
            a.Title = text(e.title);
            a.Writer = text(e.writer);
            a.Magazine = text(e.magazine);
            a.FirstPage = e.firstPage;
            a.LastPage = e.lastPage;
            a.Category = text(e.category);
            a.PublicationForm = PublicationFormChoices().at(e.form);
            a.PublicationDate = DateValue::fromDate(QDate(e.year, e.month, e.day));
            // Line breaks as the entry screen stores them.
            a.Content = text(e.content).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
            a.Keyword1 = text(e.keyword1);
            a.Keyword2 = text(e.keyword2);
            a.Keyword3 = text(e.keyword3);
            a.ImageBase = text(e.imageBase);
            a.FirstImageNo = e.firstImage;
            a.LastImageNo = e.lastImage;
            list.push_back(a);
        }
        return list;
    }();
    return articles;
}

const QStringList &demoMagazines()
{
    static const QStringList names = {
        QStringLiteral("月刊パソコン技術"), QStringLiteral("ソフトウェア通信"), QStringLiteral("週刊デジタル生活"),
        QStringLiteral("写真工房"),         QStringLiteral("鉄路の旅"),         QStringLiteral("自動車評論"),
        QStringLiteral("暮らしと台所"),
    };
    return names;
}

const QStringList &demoCategories()
{
    static const QStringList names = {
        QStringLiteral("CPU"),      QStringLiteral("ハードウェア"), QStringLiteral("ソフトウェア"),
        QStringLiteral("ネットワーク"), QStringLiteral("カメラ"),   QStringLiteral("鉄道"),
        QStringLiteral("自動車"),   QStringLiteral("料理"),         QStringLiteral("健康"),
    };
    return names;
}

QImage drawPage(const ArticleRecord &article, int pageNo)
{
    // The proportions of the viewer's picture area, so pages are not distorted.
    constexpr int kWidth = 756;
    constexpr int kHeight = 1000;
    constexpr int kMargin = 48;
    const QString sans = QStringLiteral("Noto Sans CJK JP");
    const QString serif = QStringLiteral("Noto Serif CJK JP");
    const int seed = static_cast<int>(qHash(article.Title, 0) % 1000) + pageNo;

    QImage page(kWidth, kHeight, QImage::Format_RGB32);
    page.fill(QColor(250, 247, 238));
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Running head: magazine and issue on the left, the page of the magazine on the right.
    p.setPen(QColor(90, 90, 90));
    p.setFont(pageFont(sans, 15));
    const QDate date = article.PublicationDate.date();
    const QString issue = date.year() <= 1900 ? article.Magazine
                                              : QStringLiteral("%1　%2年%3月号")
                                                    .arg(article.Magazine)
                                                    .arg(date.year())
                                                    .arg(date.month());
    const QRect head(kMargin, 24, kWidth - 2 * kMargin, 24);
    p.drawText(head, Qt::AlignLeft | Qt::AlignVCenter, issue);
    p.drawText(head, Qt::AlignRight | Qt::AlignVCenter, QString::number(article.FirstPage + pageNo));
    p.fillRect(kMargin, 52, kWidth - 2 * kMargin, 2, QColor(40, 60, 110));

    int top = 72;
    if (pageNo == 0) {
        p.setPen(QColor(25, 35, 60));
        p.setFont(pageFont(serif, 40, true));
        const QRect headline(kMargin, top, kWidth - 2 * kMargin, 120);
        QRect used;
        p.drawText(headline, Qt::AlignLeft | Qt::TextWordWrap, article.Title, &used);
        top = used.bottom() + 12;
        p.setPen(QColor(150, 40, 40));
        p.setFont(pageFont(sans, 18));
        if (!article.Writer.isEmpty())
            p.drawText(QRect(kMargin, top, kWidth - 2 * kMargin, 28), Qt::AlignRight | Qt::AlignVCenter,
                       QStringLiteral("文・%1").arg(article.Writer));
        top += 40;
    } else {
        p.setPen(QColor(25, 35, 60));
        p.setFont(pageFont(serif, 20, true));
        p.drawText(QRect(kMargin, top, kWidth - 2 * kMargin, 30), Qt::AlignLeft | Qt::AlignVCenter, article.Title);
        top += 44;
    }

    // The picture box spans both columns on even pages and sits in the right column on odd ones.
    const int gutter = 28;
    const int columnWidth = (kWidth - 2 * kMargin - gutter) / 2;
    const int bottom = kHeight - 64;
    QRect picture;
    if (pageNo % 2 == 0)
        picture = QRect(kMargin, top, kWidth - 2 * kMargin, 300);
    else
        picture = QRect(kMargin + columnWidth + gutter, bottom - 330, columnWidth, 300);
    drawPicture(p, picture, seed);
    p.setPen(QColor(80, 80, 80));
    p.setFont(pageFont(sans, 13));
    p.drawText(QRect(picture.left(), picture.bottom() + 4, picture.width(), 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("写真%1　%2").arg(pageNo + 1).arg(article.Keyword1.isEmpty() ? article.Category
                                                                                         : article.Keyword1));

    QString body = pageNo == 0 ? QString(article.Content).replace(QStringLiteral("\r\n"), QString()) : QString();
    for (int i = 0; i < 24; ++i)
        body += text(kSentences[(seed + i * 3) % std::size(kSentences)]);
    p.setPen(QColor(30, 30, 30));
    p.setFont(pageFont(serif, 17));
    for (int column = 0; column < 2; ++column) {
        QRect area(kMargin + column * (columnWidth + gutter), top, columnWidth, bottom - top);
        if (pageNo % 2 == 0)
            area.setTop(picture.bottom() + 36);
        else if (column == 1)
            area.setBottom(picture.top() - 16);
        // Break the text by hand so that a column ends on a whole line.
        const QFontMetrics metrics(p.font());
        const int lineHeight = metrics.lineSpacing() + 5;
        int y = area.top();
        while (y + lineHeight <= area.bottom() && !body.isEmpty()) {
            int n = 1;
            while (n < body.size() && metrics.horizontalAdvance(body.left(n + 1)) <= area.width())
                ++n;
            // Punctuation hangs at the line's end rather than opening the next line.
            if (n < body.size() && QStringLiteral("、。」").contains(body.at(n)))
                ++n;
            p.drawText(QRect(area.left(), y, area.width(), lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                       body.left(n));
            body.remove(0, n);
            y += lineHeight;
        }
    }

    p.setPen(QColor(90, 90, 90));
    p.setFont(pageFont(sans, 14));
    p.drawText(QRect(0, kHeight - 44, kWidth, 24), Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("― %1 ―").arg(article.FirstPage + pageNo));
    p.end();
    return page;
}

DemoFolders demoFolders(const QString &base)
{
    const QString root = QDir(base).absolutePath() + QLatin1Char('/');
    return {root + QStringLiteral("記事データ/"), root + QStringLiteral("紙面画像/")};
}

DemoFolders writeDemoCollection(const QString &base)
{
    const DemoFolders folders = demoFolders(base);
    for (const QString &folder : {folders.dataFolder, folders.imageFolder}) {
        if (!QDir().mkpath(folder))
            throw StorageError(StorageError::Kind::WriteFailed, folder);
    }

    for (const QString &name : DataFiles::all())
        FileOps::emptyFile(DataFiles::path(folders.dataFolder, name));
    {
        RecordFileCodec articles(DataFiles::path(folders.dataFolder, DataFiles::ArticleFile),
                                 RecordFileCodec::OpenMode::Append);
        for (const ArticleRecord &a : demoArticles())
            articles.WriteRecord(a.toRecord());
        articles.close();
    }
    for (const QString &name : demoMagazines())
        CandidateList::AppendCandidate(DataFiles::path(folders.dataFolder, DataFiles::MagazineList), name);
    for (const QString &name : demoCategories())
        CandidateList::AppendCandidate(DataFiles::path(folders.dataFolder, DataFiles::CategoryList), name);
    for (const QString &name : PublicationFormChoices())
        CandidateList::AppendCandidate(DataFiles::path(folders.dataFolder, DataFiles::FormList), name);

    for (const ArticleRecord &a : demoArticles()) {
        if (a.ImageBase.isEmpty())
            continue;
        for (int n = a.FirstImageNo; n <= a.LastImageNo; ++n) {
            const QString path = folders.imageFolder + a.ImageBase + QString::number(n) + QStringLiteral(".jpg");
            QSaveFile file(path);
            if (!file.open(QIODevice::WriteOnly) || !drawPage(a, n - a.FirstImageNo).save(&file, "JPG", 82) ||
                !file.commit())
                throw StorageError(StorageError::Kind::WriteFailed, path);
        }
    }
    return folders;
}

void chooseDemoFolders(const DemoFolders &folders)
{
    SaveDataFolder(folders.dataFolder);
    SaveImageFolder(folders.imageFolder);
}

}  // namespace pagelore::demo
