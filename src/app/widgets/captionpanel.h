#pragma once

#include <QFrame>

class QLabel;

// A strip with a centred caption; other widgets can sit at its ends.
class CaptionPanel : public QFrame
{
    Q_OBJECT
public:
    explicit CaptionPanel(QWidget *parent = nullptr);

    QString caption() const;
    void setCaption(const QString &text);

    // Left and right end widgets; the caption stays in the middle.
    void setEnds(QWidget *left, QWidget *right);

private:
    QLabel *m_caption;
};
