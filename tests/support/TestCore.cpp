#include "TestCore.h"

#include "storage/DataFiles.h"
#include "storage/SettingsStore.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>

namespace pagelore::test {

TempDataFolder::TempDataFolder(bool createFiles, bool chooseIt) : m_folder(m_dir.path() + u'/')
{
    for (const QString &name : createFiles ? DataFiles::all() : QStringList())
        writeFile(file(name), {});
    if (chooseIt)
        choose();
}

void TempDataFolder::choose() const
{
    SettingsStore::SaveSetting(kApplicationName, u"FileSave"_qs, u"Address"_qs, m_folder);
}

void setImageFolder(const QString &folder)
{
    SettingsStore::SaveSetting(kApplicationName, u"GazouSave"_qs, u"Address"_qs, folder);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(path));
}

const QHash<char32_t, QByteArrayList> &cp932Reference()
{
    static const QHash<char32_t, QByteArrayList> table = [] {
        QHash<char32_t, QByteArrayList> t;
        for (const QByteArray &row : readFile(u"" PAGELORE_TEST_DATA "/cp932_table.txt"_qs).split('\n')) {
            if (const QByteArrayList parts = row.split(' '); parts.size() == 2) // in ascending byte order
                t[parts[1].toUInt(nullptr, 16)].append(QByteArray::fromHex(parts[0]));
        }
        for (QByteArrayList &sequences : t)
            std::stable_partition(sequences.begin(), sequences.end(),
                                  [](const QByteArray &b) { return b[0] != '\xED' && b[0] != '\xEE'; });
        if (t.size() < 7000)
            qFatal("the code page 932 reference table is missing");
        return t;
    }();
    return table;
}

QByteArray sjis(const QString &text, bool writerChoice)
{
    QByteArray out;
    for (const char32_t c : text.toUcs4()) {
        const QByteArrayList sequences = cp932Reference().value(c);
        if (sequences.isEmpty())
            qFatal("U+%04X is not in code page 932", unsigned(c));
        out += sequences.value(writerChoice ? 0 : 1, sequences[0]);
    }
    return out;
}

ArticleRecord article(int n)
{
    ArticleRecord a;
    a.Title = u"記事%1の題名"_qs.arg(n);
    a.Writer = u"ﾔﾏﾀﾞ%1"_qs.arg(n);
    a.Magazine = u"月刊ASCII%1"_qs.arg(n);
    a.FirstPage = static_cast<qint16>(10 * n);
    a.LastPage = static_cast<qint16>(10 * n + 4);
    a.Category = u"パソコン%1"_qs.arg(n);
    a.PublicationForm = u"連載%1"_qs.arg(n);
    a.PublicationDate = DateValue::fromDate(QDate(1990, 1, 1).addDays(33 * n));
    a.Content = u"一行目%1\r\n二行目, 読点"_qs.arg(n);
    a.Keyword1 = u"CPU%1"_qs.arg(n);
    a.Keyword2 = u"ﾒﾓﾘ%1"_qs.arg(n);
    a.Keyword3 = u"キー%1"_qs.arg(n);
    a.ImageBase = u"PC%1"_qs.arg(n);
    a.FirstImageNo = static_cast<quint8>(n);
    a.LastImageNo = static_cast<quint8>(255 - n);
    return a;
}

QByteArray line(const ArticleRecord &a, bool writerForm)
{
    const auto text = [writerForm](const QString &t) {
        const bool bare = !writerForm && !t.startsWith(u'#') && !t.startsWith(u' ')
                          && !t.contains(QRegularExpression(u"[\",\r\n]"_qs));
        return bare ? sjis(t, false) : '"' + sjis(t, writerForm) + '"';
    };
    const auto number = [writerForm](int v) {
        return writerForm ? QByteArray::number(v) : (v < 0 ? "-0" : "+0") + QByteArray::number(qAbs(v));
    };
    const DateValue &d = a.PublicationDate;
    QStringList date;
    if (d.day() != 0 || !d.hasTime())
        date << d.date().toString(writerForm ? u"yyyy-MM-dd" : u"yyyy-M-d");
    if (d.hasTime())
        date << d.time().toString(u"HH:mm:ss");
    const QByteArrayList fields = {text(a.Title),           text(a.Writer),
                                   text(a.Magazine),        number(a.FirstPage),
                                   number(a.LastPage),      text(a.Category),
                                   text(a.PublicationForm), '#' + date.join(u' ').toLatin1() + '#',
                                   text(a.Content),         text(a.Keyword1),
                                   text(a.Keyword2),        text(a.Keyword3),
                                   text(a.ImageBase),       number(a.FirstImageNo),
                                   number(a.LastImageNo)};
    return (writerForm ? QByteArray() : " ") + fields.join(writerForm ? "," : ", ") + "\r\n";
}

void isolateUserFolders()
{
    static QTemporaryDir config, runtime; // private to the user (0700), as a runtime folder must be
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace pagelore::test
