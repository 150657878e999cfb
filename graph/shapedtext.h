#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QString>

class QPaintDevice;
class QPainter;

// Texts shaped once and drawn as glyph runs after that: the PDF report draws the same few
// texts page after page, and shaping each anew was most of its work.
class ShapedText {
public:
    explicit ShapedText(QPaintDevice* device)
        : m_device(device)
    {
    }

    // Draws `text` in `font` as a QTextLayout would draw it with its top left corner at
    // `topLeft`: wrapped to `width` at word boundaries where there are any (0: one line), each
    // line `spacing` below the one before and centred in it (0: the font's height).
    void draw(QPainter& painter, const QPointF& topLeft, const QString& text, const QFont& font,
              qreal width = 0, qreal spacing = 0);
    // The height of those lines.
    qreal height(const QString& text, const QFont& font, qreal width = 0, qreal spacing = 0);

private:
    struct Key {
        QString text;
        QFont font;
        qreal width;
        qreal spacing;
        bool operator==(const Key& o) const
        {
            return text == o.text && width == o.width && spacing == o.spacing && font == o.font;
        }
        friend size_t qHash(const Key& k, size_t seed = 0)
        {
            return qHashMulti(seed, k.text, k.font, k.width, k.spacing);
        }
    };
    struct Shaped {
        QList<QGlyphRun> runs;
        qreal height = 0;
    };
    const Shaped& shaped(const QString& text, const QFont& font, qreal width, qreal spacing);

    static constexpr int Kept = 2000;

    QPaintDevice* m_device;
    QHash<Key, Shaped> m_shaped;
};
