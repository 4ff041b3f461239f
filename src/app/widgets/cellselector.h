#pragma once

#include <QComboBox>

// A drop-down list placed over a grid cell to choose the cell's text. It tells when its list
// closes (however it closes: an entry chosen, Escape, a click elsewhere) and when it loses the
// focus to another control of the window. While its list is closed, the keys that move around
// a grid are not taken as a change of entry but handed back, so the operator can go on through
// the grid with the keyboard.
class CellSelector : public QComboBox
{
    Q_OBJECT
public:
    explicit CellSelector(const QStringList &items, QWidget *parent = nullptr);

    bool listOpen() const { return m_listOpen; }

    void showPopup() override;
    void hidePopup() override;

Q_SIGNALS:
    // Once the list has closed and the entry chosen in it, if any, is selected; it comes from
    // the event loop, after the event that closed the list.
    void closedUp();
    void exited();
    // A grid key (an arrow, Page Up/Down, Home, End, Escape) pressed with the list closed.
    void gridKey(int key, Qt::KeyboardModifiers modifiers);

protected:
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void listClosed();

    bool m_listOpen = false;
};
