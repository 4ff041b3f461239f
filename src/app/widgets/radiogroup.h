#pragma once

#include <QGroupBox>

class QButtonGroup;

// A framed group of radio buttons with an item index; -1 means no item is chosen, which a
// plain exclusive button group cannot show.
class RadioGroup : public QGroupBox
{
    Q_OBJECT
public:
    RadioGroup(const QString &title, const QStringList &items, QWidget *parent = nullptr);

    int itemIndex() const;
    // Programmatic choice; emits nothing.
    void setItemIndex(int index);

Q_SIGNALS:
    // The operator chose an item.
    void clicked();

private:
    QButtonGroup *m_buttons;
};
