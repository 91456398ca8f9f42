#include "shields/ToolErrorText.h"

#include <QStringDecoder>

namespace ToolErrorText {
namespace {

QString outputText(const CommandResult& result, Style style) {
    if (result.outcome != CommandResult::Outcome::Exited) {
        return result.errorDescription;
    }
    const QString exitText = QStringLiteral("exit %1").arg(result.exitCode);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(result.standardError);
    if (decoder.hasError()) {
        return exitText;
    }
    if (style == Style::TrimmedOutput) {
        text = text.trimmed();
    }
    return text.trimmed().isEmpty() ? exitText : text;
}

}  // namespace

QString describe(const FailedCommand& failure, Style style) {
    const CommandResult& result = failure.result;
    if (!result.started()) {
        return failure.program + QStringLiteral(": ") + result.errorDescription;
    }
    const QString text = outputText(result, style);
    return style == Style::PathAndOutput ? failure.program + QStringLiteral(" failed: ") + text
                                         : text;
}

}  // namespace ToolErrorText
