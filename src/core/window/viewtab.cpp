#include "viewtab.h"

#include "alerts/alerts.h"
#include "common/js.h"
#include "common/json.h"
#include "model/page.h"
#include "settings/chatstyle.h"
#include "settings/lists.h"
#include "settings/utils.h"

namespace {
// A colour dialog of the View tab, its field and the page call that shows it.
struct ColorDialog {
    const char *name;
    QString SettingsForm::*field;
    const char *method; // none: the addressed colours go in as the custom style
};

const ColorDialog kColorDialogs[] = {
    {"bgChatColor", &SettingsForm::bgChatColor, "setBGColor"},
    {"fgChatColor", &SettingsForm::fgChatColor, "setColor"},
    {"bgHLColor", &SettingsForm::bgHLColor, nullptr},
    {"fgHLColor", &SettingsForm::fgHLColor, nullptr},
};
} // namespace

ViewTab::ViewTab(Utils &utils, Alerts &alerts, Page &chatView)
    : m_utils(utils)
    , m_alerts(alerts)
    , m_chatView(chatView) {}

bool ViewTab::debug() const {
    return m_alerts.alertsInDebugMode;
}

void ViewTab::pageCall(const QString &method, const QString &data) {
    m_chatView.run(Page::call(method, data));
}

void ViewTab::applyFontSize(int value) {
    pageCall(QStringLiteral("setFontSize"), jsQuote(QString::number(value)));
    m_utils.saveConfig();
}

void ViewTab::chatFontSizeMoved(int value) {
    SettingsForm &f = m_utils.form();
    f.chatFontSize = value;
    f.sizeIndex = findSizeIndex(Json(value));
    emit f.changed();
    applyFontSize(value);
}

void ViewTab::sizeChosen(int index) {
    SettingsForm &f = m_utils.form();
    f.sizeIndex = index;
    const ListEntry *entry = entryAt(sizeList(), index);
    const bool differs = entry && entry->value && *entry->value != f.chatFontSize;
    if (differs)
        f.chatFontSize = *entry->value;
    emit f.changed();
    if (differs)
        applyFontSize(f.chatFontSize);
}

void ViewTab::colorAccepted(const QString &dialog, qreal red, qreal green, qreal blue) {
    for (const ColorDialog &d : kColorDialogs) {
        if (dialog != QLatin1String(d.name))
            continue;
        SettingsForm &f = m_utils.form();
        f.*d.field = convertToCSS(Rgb{red, green, blue});
        emit f.changed();
        m_utils.saveConfig();
        if (d.method)
            pageCall(QLatin1String(d.method), jsQuote(f.*d.field));
        else
            pageCall(QStringLiteral("setCustomCSS"), jsQuote(buildCustomCSS(m_utils)));
        return;
    }
}

void ViewTab::fontChosen(int index) {
    SettingsForm &f = m_utils.form();
    f.fontIndex = index;
    emit f.changed();
    const ListEntry *entry = entryAt(fontList(), index);
    if (!entry || !entry->type)
        return;
    m_utils.saveConfig();
    const Json font{{"name", stdstr(entry->text)}, {"type", stdstr(*entry->type)}};
    pageCall(QStringLiteral("setFontFamily"), qstr(font.dump()));
}

void ViewTab::animationChosen(int index) {
    SettingsForm &f = m_utils.form();
    f.animationIndex = index;
    emit f.changed();
    const ListEntry *entry = entryAt(animationList(), index);
    m_utils.saveConfig();
    pageCall(QStringLiteral("setAnimation"),
             jsQuote(entry && entry->name ? *entry->name : QString()));
}

void ViewTab::bubbleReleased(bool on) {
    m_bubbles = on;
    emit switchesChanged();
    pageCall(QStringLiteral("toggleBubbles"), on ? QStringLiteral("1") : QStringLiteral("0"));
}

void ViewTab::debugReleased(bool on) {
    m_alerts.alertsInDebugMode = on;
    emit switchesChanged();
}

void ViewTab::storeOverlay() {
    m_utils.saveConfig();
}
