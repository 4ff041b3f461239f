#pragma once

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QString>
#include <QStringList>

// Small helpers the pages build their controls with. Every control carries its object name,
// the name the rest of the program and the operators' instructions use.
namespace PageWidgets {

template <class W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

inline QPushButton *button(const char *name, const QString &caption)
{
    return named(new QPushButton(caption), name);
}

inline QComboBox *dropDownList(const char *name, const QStringList &items)
{
    auto *box = named(new QComboBox, name);
    box->addItems(items);
    box->setCurrentIndex(-1);
    return box;
}

// Buttons at the right end of a row.
inline QHBoxLayout *buttonRow(std::initializer_list<QWidget *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget *b : buttons)
        row->addWidget(b);
    return row;
}

} // namespace PageWidgets
