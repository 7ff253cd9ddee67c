#include "zrprintinglogger.h"

#include "zrheadlessoutput.h"

void ZRPrintingLogger::log(int drawType, const std::string& text, bool)
{
    ZRHeadlessOutput::message(QStringLiteral("bus %1 %2: %3")
                                  .arg(QString::number(drawType), drawTypeName(drawType), QString::fromStdString(text)));
}

QString ZRPrintingLogger::drawTypeName(int drawType)
{
    switch (drawType) {
    case 0: return QStringLiteral("information");
    case 1: return QStringLiteral("error");
    case 2: return QStringLiteral("file-error");
    case 3: return QStringLiteral("call-trace");
    case 4: return QStringLiteral("status");
    default: return QString::number(drawType);
    }
}
