#include "Bench.h"

#include "storage/ArticleRecord.h"
#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "storage/RecordFileCodec.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <array>

namespace pagelore::bench {

namespace {

// splitmix64: the same stream for a seed on every platform and library,
// unlike the standard distributions.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T, std::size_t N>
    const T &pick(const std::array<T, N> &items) { return items[below(static_cast<int>(N))]; }

private:
    std::uint64_t m_state;
};

using Words = std::array<const char16_t *, 24>;

// Title parts: kanji compounds, kana, half-width katakana, a few
// characters of the extension rows (①, ㈱, 髙) that have two byte spellings.
const Words kSubjects = {u"パソコン", u"ﾊﾟｿｺﾝ", u"半導体", u"ＣＰＵ", u"メモリ", u"液晶ディスプレイ",
                         u"ハードディスク", u"ﾌﾛｯﾋﾟｰ", u"通信", u"インターネット", u"プリンタ", u"マウス",
                         u"キーボード", u"OS", u"Ｃ言語", u"BASIC", u"ﾃﾞｰﾀﾍﾞｰｽ", u"表計算", u"ワープロ",
                         u"ゲーム機", u"携帯電話", u"デジタルカメラ", u"光ディスク", u"人工知能"};
const Words kTopics = {u"入門", u"の基礎", u"最前線", u"徹底比較", u"活用術", u"の歴史", u"設計の勘所",
                       u"完全ガイド", u"①基本編", u"②応用編", u"の未来", u"を使いこなす", u"事情",
                       u"買い方講座", u"ﾚﾎﾟｰﾄ", u"の仕組み", u"の選び方", u"トラブル対策", u"早わかり",
                       u"実践テクニック", u"新製品速報", u"市場動向", u"分解記", u"裏技集"};
const Words kSurnames = {u"佐藤", u"鈴木", u"高橋", u"田中", u"渡辺", u"伊藤", u"山本", u"中村",
                         u"小林", u"加藤", u"吉田", u"山田", u"佐々木", u"山口", u"松本", u"井上",
                         u"木村", u"林", u"斎藤", u"清水", u"髙田", u"森", u"池田", u"橋本"};
const Words kGivenNames = {u"一郎", u"健", u"誠", u"浩", u"隆", u"明美", u"裕子", u"直樹", u"剛", u"恵",
                           u"洋子", u"和也", u"さとし", u"ひろみ", u"ﾀｹｼ", u"まこと", u"修", u"優",
                           u"大輔", u"智子", u"博", u"陽介", u"由美", u"聡"};
const std::array<const char16_t *, 8> kMagazines = {u"月刊アスキー", u"日経バイト", u"Oh!X", u"I/O",
                                                   u"ﾏｲｺﾝBASICﾏｶﾞｼﾞﾝ", u"週刊ダイヤモンド",
                                                   u"㈱技術評論社 Software Design", u"トランジスタ技術"};
const std::array<const char16_t *, 10> kCategories = {u"ハードウェア", u"ソフトウェア", u"通信", u"経済",
                                                     u"ゲーム", u"プログラミング", u"周辺機器", u"業界動向",
                                                     u"インタビュー", u"ｺﾗﾑ"};
const Words kSentences = {u"新しい製品の特徴を詳しく紹介する。", u"価格と性能の比較表あり。",
                          u"筆者の体験をもとに、導入の手順を解説。", u"図版多数、初心者にもわかりやすい。",
                          u"開発者へのインタビューを含む。", u"ﾍﾞﾝﾁﾏｰｸ結果を掲載。",
                          u"当時の市場の様子がよくわかる記事。", u"付録のプログラムリストは3ページ。",
                          u"次号に続く。", u"誤植あり(p.52の図3)。", u"保存版。", u"後日、訂正記事あり。",
                          u"海外の事例との比較。", u"回路図つき。", u"読者からの質問に答える形式。",
                          u"写真が多く資料価値が高い。", u"技術的な背景を丁寧に説明。", u"特に第2章が重要。",
                          u"関連記事:同誌の前月号。", u"座談会の記録。", u"ユーザー事例を3件紹介。",
                          u"将来の展望を述べる。", u"用語集あり。", u"ｱﾝｹｰﾄ結果の集計。"};
const Words kKeywords = {u"CPU", u"メモリ", u"MS-DOS", u"UNIX", u"ネットワーク", u"グラフィックス",
                         u"音源", u"ﾓﾃﾞﾑ", u"LAN", u"セキュリティ", u"ウイルス", u"圧縮",
                         u"日本語処理", u"漢字ROM", u"ﾏﾙﾁﾒﾃﾞｨｱ", u"CD-ROM", u"RISC", u"互換機",
                         u"省電力", u"価格", u"ベンチマーク", u"設計", u"規格", u"周辺機器"};
const std::array<const char16_t *, 6> kPatternTexts = {u"CPU*", u"Z80?", u"月刊*", u"*", u"第#回", u"PC-98??"};

QString text(const char16_t *s)
{
    return QString::fromUtf16(s);
}

ArticleRecord makeArticle(Random &r, qint64 index)
{
    ArticleRecord a;
    a.Title = text(r.pick(kSubjects)) + text(r.pick(kTopics));
    if (r.chance(10))
        a.Title += QStringLiteral(" 第%1回").arg(1 + r.below(24));
    a.Writer = r.chance(5) ? QString() : text(r.pick(kSurnames)) + text(r.pick(kGivenNames));
    a.Magazine = text(r.pick(kMagazines));
    a.FirstPage = static_cast<qint16>(1 + r.below(380));
    a.LastPage = static_cast<qint16>(a.FirstPage + r.below(12));
    a.Category = text(r.pick(kCategories));
    a.PublicationForm = r.chance(3) ? QString() : PublicationFormChoices()[r.below(7)];
    // Days from 1985-01-01 (31048 after the zero day) over forty years.
    a.PublicationDate = DateValue(31048 + r.below(40 * 365), 0);
    const int lines = 1 + r.below(3);
    for (int i = 0; i < lines; ++i) {
        if (i > 0)
            a.Content += QStringLiteral("\r\n");
        a.Content += text(r.pick(kSentences));
        if (r.chance(50))
            a.Content += text(r.pick(kSentences));
    }
    a.Keyword1 = text(r.pick(kKeywords));
    a.Keyword2 = r.chance(15) ? QString() : text(r.pick(kKeywords));
    a.Keyword3 = r.chance(30) ? QString() : text(r.pick(kKeywords));
    if (r.chance(20)) {
        a.ImageBase = QStringLiteral("SCAN%1_").arg(index, 7, 10, QLatin1Char('0'));
        a.FirstImageNo = static_cast<quint8>(r.below(5));
        a.LastImageNo = static_cast<quint8>(a.FirstImageNo + r.below(12));
    } else {
        a.FirstImageNo = 0;
        a.LastImageNo = 255;
    }
    // A few users store patterns on purpose.
    if (r.below(1000) == 0)
        a.Title = text(r.pick(kPatternTexts));
    if (r.below(1000) == 0)
        a.Magazine = text(r.pick(kPatternTexts));
    if (r.below(1000) == 0)
        a.Keyword2 = text(r.pick(kPatternTexts));
    return a;
}

}  // namespace

GenerateStats generateCollection(const QString &folder, qint64 articles, std::uint64_t seed)
{
    QDir().mkpath(folder);
    const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    Random r(seed);
    GenerateStats stats;
    {
        RecordFileCodec file(DataFiles::path(base, DataFiles::ArticleFile), RecordFileCodec::OpenMode::Write);
        for (qint64 i = 0; i < articles; ++i)
            file.WriteRecord(makeArticle(r, i).toRecord());
        file.close();
    }
    FileOps::emptyFile(DataFiles::path(base, DataFiles::ResultFile));
    FileOps::emptyFile(DataFiles::path(base, DataFiles::ScratchFile));
    const auto writeList = [&](const QString &name, const QStringList &names) {
        RecordFileCodec file(DataFiles::path(base, name), RecordFileCodec::OpenMode::Write);
        for (const QString &n : names)
            file.WriteRecord(Record{n});
        file.close();
    };
    QStringList magazines, categories;
    for (const char16_t *m : kMagazines)
        magazines << text(m);
    for (const char16_t *c : kCategories)
        categories << text(c);
    writeList(DataFiles::MagazineList, magazines);
    writeList(DataFiles::CategoryList, categories);
    writeList(DataFiles::FormList, PublicationFormChoices());
    stats.articles = articles;
    stats.bytes = QFileInfo(DataFiles::path(base, DataFiles::ArticleFile)).size();
    return stats;
}

bool makeJpeg(const QString &path, int width, int height)
{
    // Gradients, lines of "text" and noise, so the file compresses like a
    // scanned page rather than a flat colour.
    QImage image(width, height, QImage::Format_RGB32);
    Random r(42);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int noise = r.below(24);
            const bool ink = ((y / 40) % 3 == 0) && ((x / 17 + y / 40) % 5 != 0) && (x % 17 < 12);
            const int v = ink ? 40 + noise : 225 + noise / 2 - (x + y) * 20 / (width + height);
            line[x] = qRgb(v, v, std::min(255, v + 8));
        }
    }
    return image.save(path, "JPEG", 90);
}

}  // namespace pagelore::bench
