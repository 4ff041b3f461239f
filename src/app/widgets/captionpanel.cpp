#include "captionpanel.h"

#include <QHBoxLayout>
#include <QLabel>

CaptionPanel::CaptionPanel(QWidget *parent) : QFrame(parent), m_caption(new QLabel(this))
{
    m_caption->setAlignment(Qt::AlignCenter);
    // The unit's name and number, as the unit gives them.
    m_caption->setTextFormat(Qt::PlainText);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_caption, 1);
}

QString CaptionPanel::caption() const
{
    return m_caption->text();
}

void CaptionPanel::setCaption(const QString &text)
{
    m_caption->setText(text);
}

void CaptionPanel::setEnds(QWidget *left, QWidget *right)
{
    auto *row = static_cast<QHBoxLayout *>(layout());
    row->insertWidget(0, left);
    row->addWidget(right);
}
