#include "caption_label.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPalette>

namespace {

QImage Drawn(QLabel& label) {
  label.ensurePolished();
  return label.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

struct Look {
  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
  int margin = 0;
  QFrame::Shape frame = QFrame::NoFrame;
  int indent = -1;
  Qt::TextFormat format = Qt::PlainText;
  bool wrap = false;
  bool buddy = false;
};

// The caption must look exactly like the label it stands in for, whatever it is told.
void ExpectSameAsLabel(const QString& text, const QFont& font, const Look& look) {
  QLabel label;
  TCaptionLabel caption;
  QWidget buddy;
  for (QLabel* l : {&label, static_cast<QLabel*>(&caption)}) {
    if (look.buddy) l->setBuddy(&buddy);
    l->setGeometry(0, 0, 100, 24);
    l->setFont(font);
    l->setAlignment(look.align);
    l->setMargin(look.margin);
    l->setFrameShape(look.frame);
    l->setIndent(look.indent);
    l->setTextFormat(look.format);
    l->setWordWrap(look.wrap);
    l->setText(text);
  }
  EXPECT_EQ(Drawn(caption), Drawn(label))
      << text.toStdString() << " align " << look.align << " margin " << look.margin << " frame "
      << look.frame << " px " << font.pixelSize();
}

TEST(CaptionLabel, DrawsAsAPlainLabelWould) {
  QFont narrow(QStringLiteral("Sans Serif"));
  narrow.setPixelSize(10);
  narrow.setStretch(QFont::SemiCondensed);
  QFont large(QStringLiteral("Sans Serif"));
  large.setPixelSize(15);
  for (const QFont& font : {narrow, large}) {
    for (const QString& text : {QStringLiteral("servo4: 254"), QStringLiteral("sv1")}) {
      ExpectSameAsLabel(text, font, {});
      ExpectSameAsLabel(text, font, {.margin = 2});
      ExpectSameAsLabel(text, font, {.frame = QFrame::Box});
      ExpectSameAsLabel(text, font, {.indent = 4});
      ExpectSameAsLabel(text, font, {.indent = 1});
      ExpectSameAsLabel(text, font, {.wrap = true});
      ExpectSameAsLabel(text, font, {.align = Qt::AlignRight | Qt::AlignTop});
      ExpectSameAsLabel(text, font, {.align = Qt::AlignCenter, .margin = 3});
      ExpectSameAsLabel(text, font, {.align = Qt::AlignLeft | Qt::AlignBottom, .margin = 2});
    }
    // Too long or too high for the label, or more than one line.
    ExpectSameAsLabel(QStringLiteral("servo1: 127 servo2: 127"), font, {.margin = 3});
    ExpectSameAsLabel(QStringLiteral("servo1: 127 servo2: 127"), font, {.wrap = true});
    ExpectSameAsLabel(QStringLiteral("<b>servo1</b>"), font, {.format = Qt::RichText});
    ExpectSameAsLabel(QStringLiteral("&servo1"), font, {.buddy = true});
    ExpectSameAsLabel(QStringLiteral("servo1: 127"), font, {.margin = 8});
    ExpectSameAsLabel(QStringLiteral("a\nb"), font, {});
  }
  for (int px = 8; px <= 22; ++px) {
    QFont f(QStringLiteral("Sans Serif"));
    f.setPixelSize(px);
    ExpectSameAsLabel(QStringLiteral("servo4: 254"), f, {});
    f.setStretch(QFont::SemiCondensed);
    ExpectSameAsLabel(QStringLiteral("servo4: 254"), f, {});
  }
}

TEST(CaptionLabel, ATextShownBeforeAndAFontChangeDrawRight) {
  TCaptionLabel caption;
  QLabel label;
  caption.setGeometry(0, 0, 120, 30);
  label.setGeometry(0, 0, 120, 30);
  for (const char* text : {"servo1: 127", "servo1: 128", "servo1: 127", ""}) {
    caption.setText(QString::fromLatin1(text));
    label.setText(QString::fromLatin1(text));
    EXPECT_EQ(Drawn(caption), Drawn(label)) << text;
  }
  caption.setText(QStringLiteral("servo1: 127"));
  label.setText(QStringLiteral("servo1: 127"));
  QFont large = caption.font();
  large.setPixelSize(16);
  caption.setFont(large);
  label.setFont(large);
  EXPECT_EQ(Drawn(caption), Drawn(label));
  caption.setEnabled(false);
  label.setEnabled(false);
  EXPECT_EQ(Drawn(caption), Drawn(label));
}

// Opaque, the caption keeps pictures of what it drew; whatever changes after a text was first
// drawn, it must still look like a label that fills its background.
TEST(CaptionLabel, OpaqueAnyChangeIsDrawnAsALabelWould) {
  TCaptionLabel caption;
  QLabel label;
  const auto both = [&](const auto& change) {
    change(static_cast<QLabel&>(caption));
    change(label);
  };
  const auto expectSame = [&](const char* what) {
    for (const char* text : {"servo1: 127", "servo1: 128", "servo1: 127"}) {
      both([&](QLabel& l) { l.setText(QString::fromLatin1(text)); });
      EXPECT_EQ(Drawn(caption), Drawn(label)) << what << ": " << text;
    }
  };
  caption.SetOpaque(true);
  label.setAutoFillBackground(true);
  both([](QLabel& l) {
    l.setGeometry(0, 0, 58, 13);
    QPalette colours = l.palette();
    colours.setColor(QPalette::Window, QColor(206, 239, 236));
    colours.setColor(QPalette::WindowText, Qt::black);
    l.setPalette(colours);
  });
  expectSame("first");
  both([](QLabel& l) {
    QPalette colours = l.palette();
    colours.setColor(QPalette::WindowText, Qt::darkBlue);
    l.setPalette(colours);
  });
  expectSame("ink");
  both([](QLabel& l) {
    QPalette colours = l.palette();
    colours.setColor(QPalette::Window, Qt::yellow);
    l.setPalette(colours);
  });
  expectSame("paper");
  both([](QLabel& l) { l.resize(80, 20); });
  expectSame("size");
  // Narrowed from the right only: the text starts where it did but no longer fits.
  both([](QLabel& l) { l.setContentsMargins(0, 0, 50, 0); });
  expectSame("narrower");
  both([](QLabel& l) { l.setContentsMargins(0, 0, 0, 0); });
  both([](QLabel& l) {
    QFont bold = l.font();
    bold.setBold(true);
    l.setFont(bold);
  });
  expectSame("bold");
  both([](QLabel& l) {
    QFont larger = l.font();
    larger.setPixelSize(12);
    l.setFont(larger);
  });
  expectSame("larger");
  both([](QLabel& l) {
    l.resize(80, 30);
    QFont tooWide = l.font();
    tooWide.setPixelSize(16);
    l.setFont(tooWide);
  });
  expectSame("too wide");
  both([](QLabel& l) { l.setMargin(2); });
  expectSame("margin");
  both([](QLabel& l) { l.setEnabled(false); });
  expectSame("disabled");
  both([](QLabel& l) {
    QPalette colours = l.palette();
    colours.setColor(QPalette::Window, QColor(255, 255, 0, 128));
    l.setPalette(colours);
  });
  expectSame("see-through");
  both([](QLabel& l) {
    QPalette colours = l.palette();
    colours.setColor(QPalette::Window, Qt::yellow);
    colours.setColor(QPalette::Disabled, QPalette::Window, QColor(255, 255, 0, 128));
    l.setPalette(colours);
    l.setEnabled(true);
  });
  expectSame("see-through when disabled, enabled");
  both([](QLabel& l) { l.setEnabled(false); });
  expectSame("see-through when disabled");
  both([](QLabel& l) {
    QLinearGradient shade(0, 0, 0, 20);
    shade.setColorAt(0, Qt::yellow);
    shade.setColorAt(1, Qt::darkGreen);
    QPalette colours = l.palette();
    colours.setBrush(QPalette::Window, shade);  // opaque, but not one colour
    l.setPalette(colours);
    l.setEnabled(true);
    QFont fits = l.font();  // a text that fits is drawn the quick way
    fits.setPixelSize(10);
    l.setFont(fits);
  });
  expectSame("gradient");
  // A text laid out in a small font, which then grows past the width: a label clips it at
  // the margin.
  both([](QLabel& l) {
    l.setMargin(3);
    l.setText(QStringLiteral("servo6: 1"));
  });
  EXPECT_EQ(Drawn(caption), Drawn(label)) << "small";
  both([](QLabel& l) {
    QFont grown = l.font();
    grown.setPixelSize(20);
    l.setFont(grown);
  });
  EXPECT_EQ(Drawn(caption), Drawn(label)) << "grown past the width";
}

}  // namespace
