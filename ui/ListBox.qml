import QtQuick 2.14
import QtQuick.Controls 2.14

// A drop-down list of one of the fixed C++ lists; headings are shown but cannot be chosen.
ComboBox {
    id: box
    textRole: "text"
    font.pixelSize: 12
    delegate: ItemDelegate {
        width: box.popup.width
        text: modelData.text
        enabled: modelData.enabled
        font.pixelSize: 12
        highlighted: box.highlightedIndex === index
    }
}
