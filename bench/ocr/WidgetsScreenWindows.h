#pragma once

// The real Qt widgets of one bench window, built from its layout description. Bench only.

#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

// The protected style options the widgets paint with, so the truth uses the same rectangles.
class Table : public QTableWidget {
public:
    using QTableWidget::initViewItemOption;
    using QTableWidget::QTableWidget;
};

class List : public QListWidget {
public:
    using QListWidget::initViewItemOption;
    using QListWidget::QListWidget;
};

class Entry : public QLineEdit {
public:
    using QLineEdit::cursorRect;
    using QLineEdit::initStyleOption;
    using QLineEdit::QLineEdit;
};

class Button : public QPushButton {
public:
    using QPushButton::initStyleOption;
    using QPushButton::QPushButton;
};

struct Window {
    QWidget* top = nullptr;
    QStringList tags;
    QList<QLabel*> labels;
    QList<Entry*> edits;
    QList<QPlainTextEdit*> notes;
    QList<Table*> tables;
    QList<List*> lists;
    QList<Button*> buttons;
    QMenuBar* menuBar = nullptr;
};

// The window `description` asks for (kind, geometry, palette, font, content), shown by the caller;
// `scale` 2 doubles its layout's spacing.
Window buildWindow(const QJsonObject& description, int scale);
