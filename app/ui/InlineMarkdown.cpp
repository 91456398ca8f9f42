#include "ui/InlineMarkdown.h"

#include <QUrl>

namespace {

void appendEscaped(QString& out, QChar c) {
    switch (c.unicode()) {
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        case u'"':
            out += QLatin1String("&quot;");
            break;
        default:
            out += c;
    }
}

QString escaped(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        appendEscaped(out, c);
    }
    return out;
}

bool isWordCharacter(QStringView text, qsizetype index) {
    return index >= 0 && index < text.size() && text[index].isLetterOrNumber();
}

bool isLinkAllowed(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("https") || scheme == QLatin1String("http") ||
                             scheme == QLatin1String("mailto"));
}

// The index of the closing `marker` for an opening that ends at `from`, or -1. The span between
// must not be empty nor start or end with a space, as in CommonMark's flanking rule; underscores
// inside words (snake_case) neither open nor close.
qsizetype findClosing(QStringView text, qsizetype from, QStringView marker) {
    if (from >= text.size() || text[from].isSpace()) {
        return -1;
    }
    for (qsizetype i = from + 1; i + marker.size() <= text.size(); ++i) {
        if (text[i] == u'\\') {
            ++i;
            continue;
        }
        if (text.mid(i, marker.size()) != marker || text[i - 1].isSpace()) {
            continue;
        }
        // A single star must not close on the first star of a double one.
        if (marker.size() == 1 && marker[0] == u'*' && i + 1 < text.size() && text[i + 1] == u'*') {
            ++i;
            continue;
        }
        if (marker[0] == u'_' && isWordCharacter(text, i + marker.size())) {
            continue;
        }
        return i;
    }
    return -1;
}

void convert(QStringView text, QString& out);

// Tries a span opened by `marker` at `i`; on success appends it and moves `i` past it.
bool convertSpan(QStringView text, qsizetype& i, QStringView marker, QLatin1String tag,
                 QString& out) {
    if (marker[0] == u'_' && isWordCharacter(text, i - 1)) {
        return false;
    }
    const qsizetype start = i + marker.size();
    const qsizetype close = findClosing(text, start, marker);
    // A run of markers alone ("****") emphasises nothing.
    if (close < 0 || text.mid(start, close - start).count(marker[0]) == close - start) {
        return false;
    }
    out += QLatin1Char('<') + tag + QLatin1Char('>');
    convert(text.mid(start, close - start), out);
    out += QLatin1String("</") + tag + QLatin1Char('>');
    i = close + marker.size();
    return true;
}

bool convertCode(QStringView text, qsizetype& i, QString& out) {
    const qsizetype close = text.indexOf(u'`', i + 1);
    if (close <= i + 1) {
        return false;
    }
    out += QLatin1String("<tt>") + escaped(text.mid(i + 1, close - i - 1)) + QLatin1String("</tt>");
    i = close + 1;
    return true;
}

bool convertLink(QStringView text, qsizetype& i, QString& out) {
    const qsizetype labelEnd = text.indexOf(u']', i + 1);
    if (labelEnd < 0 || labelEnd + 1 >= text.size() || text[labelEnd + 1] != u'(') {
        return false;
    }
    // The address ends at the parenthesis that balances the opening one.
    qsizetype urlEnd = -1;
    for (qsizetype j = labelEnd + 2, depth = 0; j < text.size() && urlEnd < 0; ++j) {
        if (text[j] == u'(') {
            ++depth;
        } else if (text[j] == u')' && depth-- == 0) {
            urlEnd = j;
        }
    }
    if (urlEnd < 0) {
        return false;
    }
    const QStringView label = text.mid(i + 1, labelEnd - i - 1);
    const QUrl url(text.mid(labelEnd + 2, urlEnd - labelEnd - 2).trimmed().toString(),
                   QUrl::StrictMode);
    if (isLinkAllowed(url)) {
        out += QLatin1String("<a href=\"") + escaped(url.toString(QUrl::FullyEncoded)) +
               QLatin1String("\">");
        convert(label, out);
        out += QLatin1String("</a>");
    } else {
        convert(label, out);
    }
    i = urlEnd + 1;
    return true;
}

void convert(QStringView text, QString& out) {
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size() && text[i + 1].isPunct()) {
            appendEscaped(out, text[i + 1]);
            i += 2;
            continue;
        }
        if (c == u'\n') {
            out += QLatin1String("<br>");
            ++i;
            continue;
        }
        const bool converted =
            (c == u'`' && convertCode(text, i, out)) || (c == u'[' && convertLink(text, i, out)) ||
            (text.mid(i, 2) == u"**" && convertSpan(text, i, u"**", QLatin1String("b"), out)) ||
            (text.mid(i, 2) == u"__" && convertSpan(text, i, u"__", QLatin1String("b"), out)) ||
            (c == u'*' && convertSpan(text, i, u"*", QLatin1String("i"), out)) ||
            (c == u'_' && convertSpan(text, i, u"_", QLatin1String("i"), out));
        if (!converted) {
            appendEscaped(out, c);
            ++i;
        }
    }
}

}  // namespace

namespace InlineMarkdown {

QString toStyledText(QStringView markdown) {
    QString out;
    out.reserve(markdown.size() + 16);
    convert(markdown, out);
    return out;
}

}  // namespace InlineMarkdown
