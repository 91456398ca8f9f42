#include "ui/InlineMarkdown.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(InlineMarkdownTest, ConvertsTheInlineSubsetAndEscapesEverythingElse) {
    struct Case {
        const char16_t* markdown;
        const char16_t* styled;
    };
    const Case cases[] = {
        {u"an *italic* and _another_", u"an <i>italic</i> and <i>another</i>"},
        {u"**bold with *italic* inside**", u"<b>bold with <i>italic</i> inside</b>"},
        {u"run `systemctl --user start pipewire`", u"run <tt>systemctl --user start pipewire</tt>"},
        {u"`**not bold**`", u"<tt>**not bold**</tt>"},
        {u"see [the site](https://velarion.orvandel.com/)",
         u"see <a href=\"https://velarion.orvandel.com/\">the site</a>"},
        {u"[**bold** link](mailto:support@orvandel.com)",
         u"<a href=\"mailto:support@orvandel.com\"><b>bold</b> link</a>"},
        // Only web and mail links: anything else shows its label.
        {u"[click](javascript:alert(1))", u"click"},
        // Markup in a text never reaches the label as markup.
        {u"<img src=x> & \"quotes\"", u"&lt;img src=x&gt; &amp; &quot;quotes&quot;"},
        {u"**<b>**", u"<b>&lt;b&gt;</b>"},
        {u"line one\nline two", u"line one<br>line two"},
        // Unclosed or empty markers, flanking spaces and words with underscores stay literal.
        {u"**unclosed", u"**unclosed"},
        {u"a * b * c", u"a * b * c"},
        {u"snake_case_name", u"snake_case_name"},
        {u"\\*not italic\\*", u"*not italic*"},
    };
    for (const Case& c : cases) {
        const QString markdown = QString::fromUtf16(c.markdown);
        SCOPED_TRACE(markdown.toStdString());
        EXPECT_EQ(InlineMarkdown::toStyledText(markdown), QString::fromUtf16(c.styled));
    }
}
