#include "zrpathsafety.h"

#include <QDir>

namespace
{
constexpr int kMaximumNameBytes = 255;
} // namespace

bool isSafeFileName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (int index = 0; index < name.size(); ++index) {
        const QChar character = name.at(index);
        if (character == QLatin1Char('/') || character == QLatin1Char('\\'))
            return false;
        if (character.category() == QChar::Other_Control)
            return false;
        if (character.isHighSurrogate()) {
            if (index + 1 >= name.size() || !name.at(index + 1).isLowSurrogate())
                return false;
            ++index;
            continue;
        }
        if (character.isLowSurrogate())
            return false;
    }
    const QChar last = name.at(name.size() - 1);
    if (last == QLatin1Char(' ') || last == QLatin1Char('.'))
        return false;
    return name.toUtf8().size() <= kMaximumNameBytes;
}

QString safeChildPath(const QString& folder, const QString& name, QString* error)
{
    if (!isSafeFileName(name)) {
        if (error)
            *error = QStringLiteral("The name \"%1\" cannot be used as a file name in %2.").arg(name, folder);
        return QString();
    }
    return folder + QDir::separator() + name;
}
