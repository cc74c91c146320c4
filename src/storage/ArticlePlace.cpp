#include "ArticlePlace.h"

namespace pagelore {

ArticleReader::ArticleReader(const QString &path) : m_file(path, RecordFileCodec::OpenMode::Read)
{
}

ArticleRecord ArticleReader::read(const ArticlePlace &place)
{
    m_file.seek(place.offset, place.recordNumber);
    if (m_file.AtEnd())
        throw StorageError(StorageError::Kind::UnexpectedEnd, m_file.path(), place.recordNumber, place.offset, 1);
    return ArticleRecord::read(m_file);
}

} // namespace pagelore
