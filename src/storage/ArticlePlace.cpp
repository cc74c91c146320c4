#include "ArticlePlace.h"

namespace pagelore {

PlaceReader::PlaceReader(const QString &path) : m_file(path, RecordFileCodec::OpenMode::Read)
{
}

ArticleRecord PlaceReader::read(const ArticlePlace &place)
{
    m_file.seek(place.offset, place.recordNumber);
    if (m_file.AtEnd())
        throw StorageError(StorageError::Kind::UnexpectedEnd, m_file.path(), place.recordNumber, place.offset, 1);
    return ArticleRecord::read(m_file);
}

} // namespace pagelore
