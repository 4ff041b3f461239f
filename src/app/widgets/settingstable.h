#pragma once

#include "protocol/editmask.h"

#include <QHash>
#include <QTableView>

class ModelPresentation;
class QKeyEvent;
class SettingsModel;

// The key/value table of the device parameters, a view of the page's settings model: a fixed
// key column and an editable value column, no heading row. Rows are addressed by index (0 is
// the first key) or by key text. A row may carry an edit mask, be read-only, and show an
// ellipsis button while selected. Every character typed passes the row's key filter
// (SettingsRows::takesCharacter); only a value the operator changed is written back.
class SettingsTable : public QTableView
{
    Q_OBJECT
public:
    static constexpr int kKeyColumnWidth = 250;

    explicit SettingsTable(SettingsModel &settings, QWidget *parent = nullptr);

    SettingsModel &settings() const { return m_settings; }
    int rowCount() const;
    int rowOfKey(const QString &key) const;
    QString key(int row) const;
    QString value(int row) const;
    void setValue(int row, const QString &text);

    void setEditMask(int row, const QString &mask);
    EditMask editMask(int row) const;
    // A value of digits only, pasted text included (the key filter sees typed characters).
    void setDigitsOnly(int row, bool digitsOnly);
    void setReadOnly(int row, bool readOnly);
    bool isReadOnly(int row) const;
    void setEllipsisButton(int row, bool shown);
    bool hasEllipsisButton(int row) const;

    // Whether the key types a character into a value (a printable one, no shortcut).
    static bool typesCharacter(const QKeyEvent &event);

Q_SIGNALS:
    // The ellipsis button of the row was pressed.
    void editButtonClicked(int row);
    // The row became the current one.
    void rowSelected(int row);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct RowProps
    {
        EditMask mask;
        bool digitsOnly = false;
        bool readOnly = false;
        bool ellipsis = false;
    };

    RowProps props(int row) const { return m_props.value(row); }

    SettingsModel &m_settings;
    ModelPresentation *m_presentation;
    QHash<int, RowProps> m_props;

    friend class SettingsValueDelegate;
};
