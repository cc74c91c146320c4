#include "ArticleRecord.h"

namespace pagelore {

const std::array<FieldKind, ArticleRecord::kFieldCount> ArticleRecord::kKinds = {
    FieldKind::String, FieldKind::String, FieldKind::String, FieldKind::Int16,  FieldKind::Int16,
    FieldKind::String, FieldKind::String, FieldKind::Date,   FieldKind::String, FieldKind::String,
    FieldKind::String, FieldKind::String, FieldKind::String, FieldKind::UInt8,  FieldKind::UInt8,
};

Record ArticleRecord::toRecord() const
{
    return Record{Title,    Writer,          Magazine,        FirstPage,    LastPage,
                  Category, PublicationForm, PublicationDate, Content,      Keyword1,
                  Keyword2, Keyword3,        ImageBase,       FirstImageNo, LastImageNo};
}

ArticleRecord ArticleRecord::fromRecord(const Record &r)
{
    ArticleRecord a;
    a.Title = std::get<QString>(r[0]);
    a.Writer = std::get<QString>(r[1]);
    a.Magazine = std::get<QString>(r[2]);
    a.FirstPage = std::get<qint16>(r[3]);
    a.LastPage = std::get<qint16>(r[4]);
    a.Category = std::get<QString>(r[5]);
    a.PublicationForm = std::get<QString>(r[6]);
    a.PublicationDate = std::get<DateValue>(r[7]);
    a.Content = std::get<QString>(r[8]);
    a.Keyword1 = std::get<QString>(r[9]);
    a.Keyword2 = std::get<QString>(r[10]);
    a.Keyword3 = std::get<QString>(r[11]);
    a.ImageBase = std::get<QString>(r[12]);
    a.FirstImageNo = std::get<quint8>(r[13]);
    a.LastImageNo = std::get<quint8>(r[14]);
    return a;
}

ArticleRecord ArticleRecord::read(RecordFileCodec &file)
{
    return fromRecord(file.ReadRecord(kKinds));
}

QByteArray ArticleRecord::encode() const
{
    return RecordFileCodec::encodeRecord(toRecord());
}

ArticleReader::ArticleReader(const QString &path) : m_file(path, RecordFileCodec::OpenMode::Read)
{
}

const QStringList &PublicationFormChoices()
{
    static const QStringList choices = {
        QStringLiteral("特集"),     QStringLiteral("連載"),     QStringLiteral("広告"),
        QStringLiteral("特別寄稿"), QStringLiteral("レビュー"), QStringLiteral("ロードテスト"),
        QStringLiteral("附録"),
    };
    return choices;
}

} // namespace pagelore
