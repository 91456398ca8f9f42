#include "WidgetsScreenWindows.h"

#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QStyleOptionHeader>
#include <QStyleOptionViewItem>
#include <QTableWidget>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QPalette darkPalette() {
    QPalette p;
    const QColor window(0x2b, 0x2d, 0x30), text(0xe6, 0xe6, 0xe6), base(0x1e, 0x1f, 0x22);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(0x26, 0x28, 0x2b));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x3a, 0x3d, 0x41));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Highlight, QColor(0x2f, 0x65, 0xca));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
    p.setColor(QPalette::Light, QColor(0x4a, 0x4d, 0x52));
    p.setColor(QPalette::Midlight, QColor(0x40, 0x43, 0x47));
    p.setColor(QPalette::Mid, QColor(0x30, 0x32, 0x35));
    p.setColor(QPalette::Dark, QColor(0x20, 0x21, 0x23));
    p.setColor(QPalette::Shadow, Qt::black);
    return p;
}

QStringList strings(const QJsonValue& value) {
    QStringList out;
    for (const QJsonValue& v : value.toArray()) {
        out << v.toString();
    }
    return out;
}

// Nothing takes focus: a focused entry would draw a blinking cursor into the screenshot.
template <typename W>
W* noFocus(W* widget, const QFont& font) {
    widget->setFocusPolicy(Qt::NoFocus);
    widget->setFont(font);
    return widget;
}

}  // namespace

Window buildWindow(const QJsonObject& description, int scale) {
    Window w;
    w.tags = strings(description.value(QStringLiteral("tags")));
    const QString kind = description.value(QStringLiteral("kind")).toString();
    QFont font(description.value(QStringLiteral("family")).toString());
    font.setPixelSize(description.value(QStringLiteral("px")).toInt());
    font.setStyleHint(QFont::AnyStyle, QFont::PreferMatch);
    QFont titleFont = font;
    titleFont.setBold(true);

    auto* top = new QWidget(nullptr, description.value(QStringLiteral("frameless")).toBool()
                                         ? Qt::Window | Qt::FramelessWindowHint
                                         : Qt::Window);
    w.top = top;
    top->setFont(font);
    top->setFocusPolicy(Qt::NoFocus);
    if (description.value(QStringLiteral("dark")).toBool()) {
        top->setPalette(darkPalette());
    } else {
        top->setPalette(top->style()->standardPalette());
    }
    top->setAutoFillBackground(true);
    top->setGeometry(description.value(QStringLiteral("x")).toInt(),
                     description.value(QStringLiteral("y")).toInt(),
                     description.value(QStringLiteral("w")).toInt(),
                     description.value(QStringLiteral("h")).toInt());

    auto* layout = new QVBoxLayout(top);
    layout->setContentsMargins(10 * scale, 6 * scale, 10 * scale, 10 * scale);
    layout->setSpacing(8 * scale);
    const QStringList menus = strings(description.value(QStringLiteral("menus")));
    if (!menus.isEmpty()) {
        w.menuBar = noFocus(new QMenuBar(top), font);
        for (const QString& menu : menus) {
            w.menuBar->addMenu(menu);
        }
        layout->setMenuBar(w.menuBar);
    }
    auto* title =
        noFocus(new QLabel(description.value(QStringLiteral("title")).toString(), top), titleFont);
    title->setTextFormat(Qt::PlainText);
    layout->addWidget(title);
    w.labels << title;

    if (kind == QLatin1String("table")) {
        const QStringList columns = strings(description.value(QStringLiteral("columns")));
        const QJsonArray rows = description.value(QStringLiteral("rows")).toArray();
        auto* table = noFocus(
            new Table(static_cast<int>(rows.size()), static_cast<int>(columns.size()), top), font);
        table->horizontalHeader()->setFont(font);
        table->setHorizontalHeaderLabels(columns);
        table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        table->horizontalHeader()->setHighlightSections(false);
        table->verticalHeader()->setVisible(false);
        table->setSelectionMode(QAbstractItemView::NoSelection);
        table->setAlternatingRowColors(description.value(QStringLiteral("striped")).toBool());
        table->setShowGrid(description.value(QStringLiteral("grid")).toBool());
        table->setWordWrap(false);
        for (int r = 0; r < rows.size(); ++r) {
            const QStringList cells = strings(rows.at(r));
            for (int c = 0; c < cells.size(); ++c) {
                table->setItem(r, c, new QTableWidgetItem(cells.at(c)));
            }
        }
        table->resizeColumnsToContents();
        table->resizeRowsToContents();
        layout->addWidget(table, 1);
        w.tables << table;
    } else if (kind == QLatin1String("list")) {
        auto* list = noFocus(new List(top), font);
        list->addItems(strings(description.value(QStringLiteral("items"))));
        list->setSelectionMode(QAbstractItemView::NoSelection);
        list->setAlternatingRowColors(description.value(QStringLiteral("striped")).toBool());
        list->setSpacing(description.value(QStringLiteral("spacing")).toInt());
        layout->addWidget(list, 1);
        w.lists << list;
    } else if (kind == QLatin1String("note")) {
        auto* note = noFocus(new QPlainTextEdit(top), font);
        note->setPlainText(description.value(QStringLiteral("text")).toString());
        note->setReadOnly(description.value(QStringLiteral("read_only")).toBool());
        layout->addWidget(note, 1);
        w.notes << note;
    } else {
        // A profile form (filled entries) or a settings panel (label pairs).
        auto* form = new QFormLayout;
        form->setHorizontalSpacing(12 * scale);
        form->setVerticalSpacing(8 * scale);
        form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        const bool entries = kind == QLatin1String("form");
        for (const QJsonValue& field : description.value(QStringLiteral("fields")).toArray()) {
            const QStringList pair = strings(field);
            auto* label = noFocus(new QLabel(pair.at(0), top), font);
            label->setTextFormat(Qt::PlainText);
            w.labels << label;
            if (entries) {
                auto* edit = noFocus(new Entry(pair.at(1), top), font);
                edit->setCursorPosition(0);
                w.edits << edit;
                form->addRow(label, edit);
            } else {
                auto* value = noFocus(new QLabel(pair.at(1), top), font);
                value->setTextFormat(Qt::PlainText);
                w.labels << value;
                form->addRow(label, value);
            }
        }
        layout->addLayout(form);
        layout->addStretch(1);
    }

    const QStringList buttons = strings(description.value(QStringLiteral("buttons")));
    if (!buttons.isEmpty()) {
        auto* row = new QHBoxLayout;
        row->addStretch(1);
        for (const QString& text : buttons) {
            auto* button = noFocus(new Button(text, top), font);
            button->setAutoDefault(false);
            row->addWidget(button);
            w.buttons << button;
        }
        layout->addLayout(row);
    }
    return w;
}
