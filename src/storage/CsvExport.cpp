#include "CsvExport.h"

#include "FileOps.h"

namespace pagelore::CsvExport {

namespace {

void appendText(QByteArray &out, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    if (!utf8.contains(',') && !utf8.contains('"') && !utf8.contains('\r') && !utf8.contains('\n')) {
        out += utf8;
        return;
    }
    out += '"';
    for (const char c : utf8) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

QString dateText(const DateValue &date)
{
    QString text = date.date().toString(QStringLiteral("yyyy-MM-dd"));
    if (date.hasTime())
        text += date.time().toString(QStringLiteral(" HH:mm:ss"));
    return text;
}

} // namespace

QByteArray headerLine()
{
    return QStringLiteral("記事名,記者名,掲載雑誌名,掲載先頭ページ,掲載末尾ページ,分野,掲載形態,掲載年月日,内容,"
                          "第一キーワード,第二キーワード,第三キーワード,記事画像ﾌｧｲﾙ名,開始番号,末尾番号\r\n")
        .toUtf8();
}

QByteArray articleLine(const ArticleRecord &a)
{
    const QString texts[] = {a.Title,
                             a.Writer,
                             a.Magazine,
                             QString::number(a.FirstPage),
                             QString::number(a.LastPage),
                             a.Category,
                             a.PublicationForm,
                             dateText(a.PublicationDate),
                             a.Content,
                             a.Keyword1,
                             a.Keyword2,
                             a.Keyword3,
                             a.ImageBase,
                             QString::number(a.FirstImageNo),
                             QString::number(a.LastImageNo)};
    QByteArray line;
    for (const QString &text : texts) {
        appendText(line, text);
        line += ',';
    }
    line.chop(1);
    line += "\r\n";
    return line;
}

void write(const QString &path, qint64 count, const std::function<ArticleRecord(qint64)> &article)
{
    FileOps::ReplacementFile file(path);
    file.write("\xEF\xBB\xBF");
    file.write(headerLine());
    for (qint64 i = 0; i < count; ++i)
        file.write(articleLine(article(i)));
    file.commit();
}

} // namespace pagelore::CsvExport
