#include "zrwelldbsavejournal.h"

#include "welldbfileops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

namespace
{
const char* const kGenerationWord = "generation";
const char* const kReplaceWord = "replace";
const char* const kRemoveWord = "remove";
const char* const kEndLine = "end";
} // namespace

const char* const ZRWellDbSaveJournal::HeaderLine = "OpenWorks Data Link well database save journal 1";

ZRWellDbSaveJournal::ZRWellDbSaveJournal(const QString& folder)
    : m_folder(folder)
{
}

QString ZRWellDbSaveJournal::journalFileName(const QString& folder)
{
    return folder + QStringLiteral("/wellDbSave.journal");
}

QString ZRWellDbSaveJournal::pendingFileName(const QString& target)
{
    return target + QStringLiteral(".saving");
}

bool ZRWellDbSaveJournal::isDataFileName(const QString& fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^(LOGDATA|MARKERLIST)_[0-9]{1,10}$"));
    return pattern.match(fileName).hasMatch();
}

void ZRWellDbSaveJournal::addReplacement(const QString& target)
{
    m_replacements.append(target);
}

void ZRWellDbSaveJournal::addRemoval(const QString& target)
{
    m_removals.append(target);
}

bool ZRWellDbSaveJournal::write(qint64 generation, QString* errorText)
{
    QString text;
    QTextStream stream(&text);
    stream << HeaderLine << '\n';
    stream << kGenerationWord << ' ' << generation << '\n';
    for (const QString& target : m_replacements)
        stream << kReplaceWord << ' ' << QFileInfo(target).fileName() << '\n';
    for (const QString& target : m_removals)
        stream << kRemoveWord << ' ' << QFileInfo(target).fileName() << '\n';
    stream << kEndLine << '\n';
    stream.flush();

    const QString journal = journalFileName(m_folder);
    const QString temporary = journal + QStringLiteral(".saving");
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError || !welldb::replaceFile(temporary, journal)) {
        if (errorText)
            *errorText = file.errorString();
        QFile::remove(temporary);
        return false;
    }
    return true;
}

bool ZRWellDbSaveJournal::completeReplacements(QString* errorText, const std::function<void()>& progress)
{
    for (const QString& target : m_replacements) {
        if (!welldb::replaceFile(pendingFileName(target), target)) {
            if (errorText)
                *errorText = target;
            return false;
        }
        if (progress)
            progress();
    }
    return true;
}

void ZRWellDbSaveJournal::finish()
{
    QFile::remove(journalFileName(m_folder));
}

void ZRWellDbSaveJournal::discard()
{
    for (const QString& target : m_replacements)
        QFile::remove(pendingFileName(target));
    QFile::remove(journalFileName(m_folder));
}

bool ZRWellDbSaveJournal::read(const QString& folder, qint64& generation, QStringList& replacements,
                               QStringList& removals, bool* exists)
{
    generation = -1;
    replacements.clear();
    removals.clear();
    QFile file(journalFileName(folder));
    if (exists)
        *exists = file.exists();
    // A journal lists a few names per data file of one save: anything far larger is not ours.
    constexpr qint64 kLargestJournal = 64 << 20;
    if (!file.exists() || file.size() > kLargestJournal || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    file.close();
    if (!bytes.endsWith('\n'))
        return false;
    const QList<QByteArray> lines = bytes.left(bytes.size() - 1).split('\n');
    if (lines.size() < 3 || lines.first() != HeaderLine || lines.last() != kEndLine)
        return false;
    bool generationSeen = false;
    for (int i = 1; i < lines.size() - 1; ++i) {
        const QByteArray& line = lines[i];
        const int blank = line.indexOf(' ');
        if (blank <= 0)
            return false;
        const QByteArray word = line.left(blank);
        const QString value = QString::fromUtf8(line.mid(blank + 1));
        if (word == kGenerationWord) {
            bool ok = false;
            generation = value.toLongLong(&ok);
            if (!ok || generation < 0 || generationSeen || value != QString::number(generation))
                return false;
            generationSeen = true;
        } else if ((word == kReplaceWord || word == kRemoveWord) && isDataFileName(value)) {
            (word == kReplaceWord ? replacements : removals).append(folder + QLatin1Char('/') + value);
        } else {
            return false;
        }
    }
    if (!generationSeen) {
        generation = -1;
        replacements.clear();
        removals.clear();
        return false;
    }
    return true;
}

ZRWellDbSaveJournal::Recovery ZRWellDbSaveJournal::recover(const QString& folder, qint64 committedGeneration)
{
    qint64 generation = -1;
    QStringList replacements;
    QStringList removals;
    bool exists = false;
    if (!read(folder, generation, replacements, removals, &exists))
        return exists ? NotOurs : NothingToRecover;
    if (committedGeneration < 0)
        return Undecided;

    if (generation == committedGeneration) {
        for (const QString& target : replacements) {
            const QString pending = pendingFileName(target);
            if (QFile::exists(pending) && !welldb::replaceFile(pending, target))
                return RolledForward; // journal kept: a later run tries again
        }
        for (const QString& target : removals)
            QFile::remove(target);
        QFile::remove(journalFileName(folder));
        return RolledForward;
    }
    for (const QString& target : replacements)
        QFile::remove(pendingFileName(target));
    QFile::remove(journalFileName(folder));
    return RolledBack;
}
