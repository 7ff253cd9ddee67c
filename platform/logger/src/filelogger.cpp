#include "filelogger.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

namespace logger
{

eSeverityLevel severityOfDrawType(int drawType)
{
    switch (drawType) {
    case 3:
        return eTrace;
    case 1:
    case 2:
        return eError;
    default:
        return eInformation;
    }
}

namespace
{
std::string escapedLine(const std::string& text)
{
    std::string line;
    line.reserve(text.size() + 8);
    for (char c : text) {
        switch (c) {
        case '\n':
            line += "\\n";
            break;
        case '\r':
            line += "\\r";
            break;
        case '\t':
            line += "\\t";
            break;
        default:
            line += c;
        }
    }
    return line;
}
} // namespace

FileLogger::FileLogger(const QString& location, const QString& name, eSeverityLevel level, int maximumFileCount,
                       int maximumFileSizeMiB)
    : m_location(location)
    , m_name(name)
    , m_level(level)
    , m_maximumFileCount(maximumFileCount < 1 ? 1 : maximumFileCount)
    , m_maximumFileSize(std::int64_t(maximumFileSizeMiB < 1 ? 1 : maximumFileSizeMiB) * 1024 * 1024)
{
}

FileLogger::~FileLogger()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_file)
        std::fclose(m_file);
}

QString FileLogger::currentFilePath() const
{
    return QDir(m_location).filePath(m_name + QStringLiteral(".log"));
}

QString FileLogger::rotatedFilePath(int index) const
{
    return QDir(m_location).filePath(m_name + QStringLiteral(".%1.log").arg(index));
}

bool FileLogger::openCurrent()
{
    if (m_file)
        return true;
    if (!QDir().mkpath(m_location))
        return false;
    const QByteArray path = QFile::encodeName(currentFilePath());
    m_file = std::fopen(path.constData(), "ab");
    if (!m_file)
        return false;
    std::fseek(m_file, 0, SEEK_END);
    m_currentSize = std::ftell(m_file);
    return true;
}

void FileLogger::rotate()
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    const int oldest = m_maximumFileCount - 1;
    if (oldest < 1) {
        QFile::remove(currentFilePath());
        return;
    }
    QFile::remove(rotatedFilePath(oldest));
    for (int index = oldest - 1; index >= 1; --index) {
        if (QFile::exists(rotatedFilePath(index)))
            QFile::rename(rotatedFilePath(index), rotatedFilePath(index + 1));
    }
    QFile::rename(currentFilePath(), rotatedFilePath(1));
}

void FileLogger::log(int drawType, const std::string& text, bool flag)
{
    if (severityOfDrawType(drawType) < m_level)
        return;
    const QByteArray time = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
    std::string line(time.constData(), size_t(time.size()));
    line += '\t';
    line += std::to_string(drawType);
    if (flag)
        line += '+';
    line += '\t';
    line += escapedLine(text);
    line += '\n';

    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_currentSize > 0 && m_currentSize + std::int64_t(line.size()) > m_maximumFileSize)
        rotate();
    if (!openCurrent())
        return;
    if (std::fwrite(line.data(), 1, line.size(), m_file) == line.size())
        m_currentSize += std::int64_t(line.size());
    std::fflush(m_file);
}

} // namespace logger
