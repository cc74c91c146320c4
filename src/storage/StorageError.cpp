#include "StorageError.h"

#include <QDir>

namespace pagelore {

namespace {

std::string summary(StorageError::Kind kind, const QString &path)
{
    return QStringLiteral("storage error %1 on %2").arg(static_cast<int>(kind)).arg(path).toStdString();
}

QString formatReason(StorageError::Kind kind)
{
    using K = StorageError::Kind;
    switch (kind) {
    case K::UnterminatedQuote:
        return QStringLiteral("文字列または日付の終わりの記号がありません。");
    case K::UnexpectedEnd:
        return QStringLiteral("記録の途中でファイルが終わっています。");
    case K::NotANumber:
        return QStringLiteral("数値が入るべき所に数値以外の文字があります。");
    case K::NumberOutOfRange:
        return QStringLiteral("数値が範囲外です。");
    case K::BadDate:
        return QStringLiteral("日付の書き方が正しくありません。");
    case K::BadEncoding:
        return QStringLiteral("シフトJIS(コードページ932)として読めないバイトがあります。");
    case K::RecordTooLarge:
        return QStringLiteral("記録が大きすぎます。");
    case K::StrayQuote:
        return QStringLiteral("引用符で囲まれていない文字列の中に二重引用符があります。");
    default:
        return {};
    }
}

} // namespace

StorageError::StorageError(Kind kind, QString path, QString detail)
    : std::runtime_error(summary(kind, path)), m_kind(kind), m_path(std::move(path)), m_detail(std::move(detail))
{
}

StorageError::StorageError(Kind kind, QString path, qint64 recordNumber, qint64 byteOffset, int fieldNumber,
                           QString detail)
    : std::runtime_error(summary(kind, path)), m_kind(kind), m_path(std::move(path)), m_record(recordNumber),
      m_offset(byteOffset), m_field(fieldNumber), m_detail(std::move(detail))
{
}

bool StorageError::isFormatError() const
{
    switch (m_kind) {
    case Kind::UnterminatedQuote:
    case Kind::UnexpectedEnd:
    case Kind::NotANumber:
    case Kind::NumberOutOfRange:
    case Kind::BadDate:
    case Kind::BadEncoding:
    case Kind::RecordTooLarge:
    case Kind::StrayQuote:
        return true;
    default:
        return false;
    }
}

QString StorageError::message() const
{
    const QString file = QDir::toNativeSeparators(m_path);
    QString text;
    switch (m_kind) {
    case Kind::FileMissing:
        text = QStringLiteral("ファイル「%1」が見つかりません。").arg(file);
        break;
    case Kind::NotAFile:
        text = QStringLiteral("「%1」はファイルではありません。").arg(file);
        break;
    case Kind::OpenFailed:
        text = QStringLiteral("ファイル「%1」を開けません。").arg(file);
        break;
    case Kind::ReadFailed:
        text = QStringLiteral("ファイル「%1」を読み込めません。").arg(file);
        break;
    case Kind::WriteFailed:
        text = QStringLiteral("ファイル「%1」に書き込めません。").arg(file);
        break;
    case Kind::SameFile:
        text = QStringLiteral("コピー元とコピー先が同じファイル「%1」です。").arg(file);
        break;
    default: {
        text = QStringLiteral("ファイル「%1」の%2件目の記録").arg(file).arg(m_record);
        if (m_field > 0)
            text += QStringLiteral("の%1番目の項目").arg(m_field);
        if (m_offset >= 0)
            text += QStringLiteral("(ファイルの先頭から%1バイト目)").arg(m_offset);
        text += QStringLiteral("が正しくありません。") + formatReason(m_kind);
        break;
    }
    }
    if (!m_detail.isEmpty())
        text += QStringLiteral("\n(%1)").arg(m_detail);
    return text;
}

} // namespace pagelore
