#include "TestCore.h"

#include "storage/DataFiles.h"
#include "storage/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

namespace pagelore::test {

TempDataFolder::TempDataFolder(bool createFiles, bool chooseIt) : m_folder(m_dir.path() + u'/')
{
    if (createFiles) {
        for (const QString &name : DataFiles::all())
            writeFile(file(name), {});
    }
    if (chooseIt)
        choose();
}

void TempDataFolder::choose() const
{
    SettingsStore::SaveSetting(kApplicationName, QStringLiteral("FileSave"), QStringLiteral("Address"), m_folder);
}

void setImageFolder(const QString &folder)
{
    SettingsStore::SaveSetting(kApplicationName, QStringLiteral("GazouSave"), QStringLiteral("Address"), folder);
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

const QList<Cp932Sequence> &cp932Reference()
{
    static const QList<Cp932Sequence> table = [] {
        QFile f(QStringLiteral(PAGELORE_TEST_DATA "/cp932_table.txt"));
        if (!f.open(QIODevice::ReadOnly))
            qFatal("the code page 932 reference table is missing");
        QList<Cp932Sequence> t;
        for (const QByteArray &row : f.readAll().split('\n')) {
            if (const QList<QByteArray> parts = row.split(' '); parts.size() == 2)
                t.append({QByteArray::fromHex(parts[0]), static_cast<char32_t>(parts[1].toUInt(nullptr, 16))});
        }
        return t;
    }();
    return table;
}

QByteArray sjis(const QString &text, bool writerChoice)
{
    using Choices = QHash<char32_t, QByteArray>;
    static const std::pair<Choices, Choices> choices = [] {
        const auto necSelected = [](const QByteArray &b) { return b[0] == '\xED' || b[0] == '\xEE'; };
        Choices writer, other;
        for (const Cp932Sequence &s : cp932Reference()) { // in ascending byte order
            const auto it = writer.constFind(s.code);
            if (it == writer.constEnd() || (necSelected(*it) && !necSelected(s.bytes)))
                writer.insert(s.code, s.bytes);
        }
        for (const Cp932Sequence &s : cp932Reference()) {
            if (s.bytes != writer[s.code] && !other.contains(s.code))
                other.insert(s.code, s.bytes);
        }
        return std::pair{writer, other};
    }();
    QByteArray out;
    for (const char32_t c : text.toUcs4()) {
        if (!choices.first.contains(c))
            qFatal("U+%04X is not in code page 932", unsigned(c));
        out += writerChoice ? choices.first[c] : choices.second.value(c, choices.first[c]);
    }
    return out;
}

ArticleRecord article(int n)
{
    ArticleRecord a;
    a.Title = QStringLiteral("記事%1の題名").arg(n);
    a.Writer = QStringLiteral("ﾔﾏﾀﾞ%1").arg(n);
    a.Magazine = QStringLiteral("月刊ASCII%1").arg(n);
    a.FirstPage = static_cast<qint16>(10 * n);
    a.LastPage = static_cast<qint16>(10 * n + 4);
    a.Category = QStringLiteral("パソコン%1").arg(n);
    a.PublicationForm = QStringLiteral("連載%1").arg(n);
    a.PublicationDate = DateValue::fromDate(QDate(1990, 1, 1).addDays(33 * n));
    a.Content = QStringLiteral("一行目%1\r\n二行目, 読点").arg(n);
    a.Keyword1 = QStringLiteral("CPU%1").arg(n);
    a.Keyword2 = QStringLiteral("ﾒﾓﾘ%1").arg(n);
    a.Keyword3 = QStringLiteral("キー%1").arg(n);
    a.ImageBase = QStringLiteral("PC%1").arg(n);
    a.FirstImageNo = static_cast<quint8>(n);
    a.LastImageNo = static_cast<quint8>(255 - n);
    return a;
}

QByteArray line(const ArticleRecord &a, bool writerForm)
{
    const auto text = [writerForm](const QString &t) {
        const bool bare = !writerForm && !t.startsWith(u'#') && !t.startsWith(u' ') && !t.endsWith(u' ')
                          && !t.contains(QRegularExpression(QStringLiteral("[\",\r\n]")));
        return bare ? sjis(t, false) : '"' + sjis(t, writerForm) + '"';
    };
    const auto number = [writerForm](int v) {
        return writerForm ? QByteArray::number(v) : (v < 0 ? "-0" : "+0") + QByteArray::number(qAbs(v));
    };
    const DateValue &d = a.PublicationDate;
    QString date;
    if (d.day() != 0 || !d.hasTime())
        date = d.date().toString(writerForm ? u"yyyy-MM-dd" : u"yyyy-M-d");
    if (d.hasTime())
        date += (date.isEmpty() ? QString() : QStringLiteral(" ")) + d.time().toString(u"HH:mm:ss");
    const QByteArrayList fields = {
        text(a.Title),      text(a.Writer),         text(a.Magazine),        number(a.FirstPage),
        number(a.LastPage), text(a.Category),       text(a.PublicationForm), '#' + date.toLatin1() + '#',
        text(a.Content),    text(a.Keyword1),       text(a.Keyword2),        text(a.Keyword3),
        text(a.ImageBase),  number(a.FirstImageNo), number(a.LastImageNo)};
    return (writerForm ? QByteArray() : " ") + fields.join(writerForm ? "," : ", ") + "\r\n";
}

void isolateUserFolders()
{
    static QTemporaryDir home;
    for (const char *sub : {"config", "runtime"})
        QDir(home.path()).mkpath(QLatin1String(sub));
    QFile::setPermissions(home.path() + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path() + QStringLiteral("/runtime")));
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace pagelore::test
