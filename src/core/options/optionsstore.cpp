#include "core/options/optionsstore.h"

#include "core/storage/safewrite.h"

#include <QFileInfo>

namespace {
// A real options file is a few hundred bytes; anything far larger is damage.
constexpr qint64 kMaxFileSize = 64 * 1024;
} // namespace

OptionsStore::OptionsStore(const QString& appDir)
    : m_path(appDir + QLatin1String(OptionsFormat::kFileName))
    , m_options(read(m_path))
    , m_onDisk(m_options)
{
}

Options OptionsStore::read(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxFileSize)
        return {};
    QByteArray text;
    if (!SafeWrite::readFile(path, &text))
        return {};
    return OptionsFormat::parse(text);
}

StorageResult OptionsStore::update(const Options& changed)
{
    m_options = changed;
    if (m_options == m_onDisk)
        return StorageResult::success();
    StorageResult written = SafeWrite::replaceFile(m_path, OptionsFormat::serialise(m_options));
    if (written)
        m_onDisk = m_options;
    return written;
}
