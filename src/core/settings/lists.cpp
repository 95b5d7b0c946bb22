#include "lists.h"

#include "common/js.h"

namespace {
ListEntry heading(const char *text) {
    ListEntry entry;
    entry.text = QString::fromUtf8(text);
    entry.enabled = false;
    return entry;
}

ListEntry named(const char *name, const char *text) {
    ListEntry entry;
    entry.text = QString::fromUtf8(text);
    entry.name = QString::fromUtf8(name);
    return entry;
}

struct FontGroup {
    const char *heading;
    const char *type;
    std::initializer_list<const char *> names;
};

// JavaScript's == for the values a list field and a stored setting can hold.
bool looseEquals(const Json &a, const Json &b) {
    if (a.is_null() || b.is_null())
        return a.is_null() && b.is_null();
    if (a.is_string() && b.is_string())
        return a == b;
    const std::optional<double> x = jsNumber(a);
    const std::optional<double> y = jsNumber(b);
    return x && y && *x == *y;
}

Json fieldOf(const std::optional<QString> &field) {
    return field ? Json(stdstr(*field)) : Json();
}

template <typename Field> int findIndex(const ListModel &list, const Json &wanted, Field field) {
    for (int i = 0; i < list.size(); ++i) {
        const Json value = field(list.at(i));
        // An entry without the field is undefined, which equals nothing stored.
        if (!value.is_null() && looseEquals(value, wanted))
            return i;
    }
    return 0;
}
} // namespace

const ListModel &fontList() {
    static const ListModel list = [] {
        const FontGroup groups[] = {
            {"- БЕЗ ЗАСЕЧЕК -",
             "sans-serif",
             {"Alegreya Sans",
              "Alegreya Sans SC",
              "Andika",
              "Arimo",
              "Arsenal",
              "Cuprum",
              "Didact Gothic",
              "El Messiri",
              "Exo 2",
              "Fira Sans",
              "Fira Sans Condensed",
              "Fira Sans Extra Condensed",
              "IBM Plex Sans",
              "Istok Web",
              "Jura",
              "Kosugi",
              "Kosugi Maru",
              "M PLUS 1p",
              "M PLUS Rounded 1c",
              "Marmelad",
              "Montserrat",
              "Montserrat Alternates",
              "Noto Sans",
              "Noto Sans SC",
              "Nunito",
              "Open Sans",
              "Open Sans Condensed",
              "Oswald",
              "Pattaya",
              "Philosopher",
              "Play",
              "PT Sans",
              "PT Sans Caption",
              "PT Sans Narrow",
              "Roboto",
              "Roboto Condensed",
              "Rubik",
              "Rubik Mono One",
              "Russo One",
              "Sawarabi Gothic",
              "Scada",
              "Seymour One",
              "Source Sans Pro",
              "Tenor Sans",
              "Ubuntu",
              "Ubuntu Condensed",
              "Yanone Kaffeesatz"}},
            {"- С ЗАСЕЧКАМИ -",
             "serif",
             {"Alegreya",
              "Alegreya SC",
              "Alice",
              "Cormorant",
              "Cormorant Garamond",
              "Cormorant Infant",
              "Cormorant SC",
              "Cormorant Unicase",
              "EB Garamond",
              "Gabriela",
              "IBM Plex Serif",
              "Kurale",
              "Ledger",
              "Literata",
              "Lora",
              "Merriweather",
              "Noto Serif",
              "Noto Serif SC",
              "Noto Serif TC",
              "Old Standard TT",
              "Oranienbaum",
              "Playfair Display",
              "Playfair Display SC",
              "Podkova",
              "Prata",
              "PT Serif",
              "PT Serif Caption",
              "Roboto Slab",
              "Spectral",
              "Spectral SC",
              "Tinos",
              "Volkorn",
              "Volkorn SC"}},
            {"- МОНОШИРИНА -",
             "monospace",
             {"Anonymous Pro", "Cousine", "Fira Code", "Fira Mono", "IBM Plex Mono", "PT Mono",
              "Roboto Mono", "Source Code Pro", "Ubuntu Mono"}},
            {"- КУЧЕРЯВЫЕ -",
             "cursive",
             {"Amatic SC", "Bad Script", "Caveat", "Comfortaa", "Forum", "Kelly Slab", "Lobster",
              "Marck Script", "Neucha", "Pacifico", "Pangolin", "Poiret One", "Press Start 2P",
              "Prosto One", "Ruslan Display", "Stalinist One", "Underdog", "Yeseva One"}},
        };
        ListModel fonts;
        for (const FontGroup &group : groups) {
            fonts << heading(group.heading);
            for (const char *name : group.names) {
                ListEntry entry;
                entry.text = QString::fromUtf8(name);
                entry.type = QString::fromUtf8(group.type);
                fonts << entry;
            }
        }
        return fonts;
    }();
    return list;
}

const ListModel &sizeList() {
    static const ListModel list = [] {
        ListModel sizes;
        for (int px = 12; px <= 28; ++px) {
            ListEntry entry;
            entry.text = QString::number(px) + QStringLiteral(" px");
            entry.value = px;
            sizes << entry;
        }
        return sizes;
    }();
    return list;
}

const ListModel &animationList() {
    static const ListModel list{
        heading("- НЕ ВЫБРАНА -"),
        named("animScaleX", "горизонтальное раздвижение"),
        named("animScaleY", "вертикальное раздвижение"),
        named("animScaleXY", "рост из центра"),
        named("animScaleXYBump", "прыжок из центра"),
        named("animRotateInX", "рост из центра и поворот в вертикали"),
        named("animRotateInY", "рост из центра и поворот в горизонтали"),
        named("animRotateIn", "рост из центра с вращением"),
        named("animFromLeft", "выдвижение слева"),
        named("animFromRight", "выдвижение справа"),
    };
    return list;
}

const ListModel &voiceList() {
    static const ListModel list{
        named("", "без голоса"),       named("random", "случайный"), named("jane", "Джейн (ж)"),
        named("oksana", "Оксана (ж)"), named("omazh", "Омаж (ж)"),   named("alyss", "Элис (ж)"),
        named("ermil", "Ермил (м)"),   named("zahar", "Захар (м)"),
    };
    return list;
}

int findFontIndex(const Json &fontName) {
    return findIndex(fontList(), fontName,
                     [](const ListEntry &entry) { return Json(stdstr(entry.text)); });
}

int findSizeIndex(const Json &sizeValue) {
    return findIndex(sizeList(), sizeValue, [](const ListEntry &entry) {
        return entry.value ? Json(*entry.value) : Json();
    });
}

int findAnimationIndex(const Json &animationName) {
    return findIndex(animationList(), animationName,
                     [](const ListEntry &entry) { return fieldOf(entry.name); });
}

int findVoiceIndex(const Json &voiceValue) {
    return findIndex(voiceList(), voiceValue,
                     [](const ListEntry &entry) { return fieldOf(entry.name); });
}

const ListEntry *entryAt(const ListModel &list, int index) {
    return index >= 0 && index < list.size() ? &list.at(index) : nullptr;
}

// Only the fields an entry has, so the view can tell a heading by a missing one.
QVariantList listModel(const ListModel &list) {
    QVariantList model;
    for (const ListEntry &entry : list) {
        QVariantMap map{{QStringLiteral("text"), entry.text},
                        {QStringLiteral("enabled"), entry.enabled}};
        if (entry.type)
            map.insert(QStringLiteral("type"), *entry.type);
        if (entry.name)
            map.insert(QStringLiteral("name"), *entry.name);
        if (entry.value)
            map.insert(QStringLiteral("value"), *entry.value);
        model << map;
    }
    return model;
}
