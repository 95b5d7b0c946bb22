import QtQuick 2.14
import QtQuick.Controls 2.14

// A drop-down list of one of the fixed C++ lists; headings are shown but cannot be chosen.
// Headings, and every entry of a translated list, go through the translation lookup; font
// names and sizes do not.
ComboBox {
    id: box
    property bool translated: false

    function shown(entry) {
        return translated || !entry.enabled ? qsTr(entry.text) : entry.text
    }

    textRole: "text"
    font.pixelSize: 12
    displayText: currentIndex >= 0 && model[currentIndex] ? shown(model[currentIndex]) : ""
    delegate: ItemDelegate {
        width: box.popup.width
        text: box.shown(modelData)
        enabled: modelData.enabled
        font.pixelSize: 12
        highlighted: box.highlightedIndex === index
    }
}
