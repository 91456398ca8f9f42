#pragma once

#include <QString>
#include <QStringView>

// Inline Markdown as the interface texts use it, turned into the small HTML subset that Qt Quick's
// styled text draws: **bold**, *italic* or _italic_, `code`, [label](url) and line breaks. Block
// syntax (headings, lists, quotes) is not interpreted; it stays as written. Everything else is
// escaped, so a text can never inject markup. A marker without its closing partner stays literal;
// a backslash before punctuation keeps that character literal. Links whose address is not http,
// https or mailto show their label only.
namespace InlineMarkdown {

QString toStyledText(QStringView markdown);

}  // namespace InlineMarkdown
