#include "platform/qt/qt_conversions.h"

#include <QFontInfo>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace twl {
namespace {

struct WeightSuffix {
    std::string_view suffix;
    QFont::Weight weight;
};

constexpr std::array<WeightSuffix, 4> weightSuffixes{{
    {" Light", QFont::Light},
    {" Medium", QFont::Medium},
    {" Bold", QFont::Bold},
    {" Thin", QFont::Thin},
}};

}  // namespace

QColor toQColor(const Color& color) {
    auto channel = [](double value) {
        return static_cast<quint16>(std::lround(std::clamp(value, 0.0, 1.0) * 65535.0));
    };
    return QColor::fromRgba64(channel(color.red), channel(color.green), channel(color.blue),
                              channel(color.alpha));
}

Color fromQColor(const QColor& color) {
    // Colours are given in 255ths; those come back exactly as they went in.
    auto channel = [](quint16 value) {
        return value % 257 == 0 ? (value / 257.0) / 255.0 : value / 65535.0;
    };
    const QRgba64 rgba = color.rgba64();
    return Color{channel(rgba.red()), channel(rgba.green()), channel(rgba.blue()),
                 channel(rgba.alpha())};
}

QFont toQFont(const Font& font) {
    std::string_view family = font.family;
    QFont::Weight weight = QFont::Normal;
    for (const auto& [suffix, suffixWeight] : weightSuffixes) {
        if (family.size() > suffix.size() && family.ends_with(suffix)) {
            family.remove_suffix(suffix.size());
            weight = suffixWeight;
            break;
        }
    }
    QFont made(toQString(family));
    made.setStyleHint(QFont::SansSerif);
    made.setWeight(weight);
    if (font.pointSize > 0.0) {
        made.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pointSize))));
    }
    return made;
}

Font fromQFont(const QFont& font) {
    std::string family = fromQString(font.family());
    for (const auto& [suffix, suffixWeight] : weightSuffixes) {
        if (font.weight() == suffixWeight) {
            family += suffix;
            break;
        }
    }
    const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    return Font{std::move(family), static_cast<double>(pixels)};
}

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string fromQString(const QString& text) {
    return text.toStdString();
}

}  // namespace twl
