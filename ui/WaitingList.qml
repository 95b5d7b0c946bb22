import QtQuick 2.14
import QtQuick.Controls 2.14

// What waits to be played, one row each, the one playing marked; a waiting row can be taken
// out. The texts are the viewers' and only ever shown as plain text.
Column {
    id: list
    property var rows: []
    property string namePrefix
    signal takeOut(var key)

    spacing: 2
    Repeater {
        model: list.rows
        Row {
            spacing: 4
            ViewLabel {
                objectName: list.namePrefix + "Row" + index
                y: 2
                width: list.width - 30
                elide: Text.ElideRight
                color: modelData.playing ? "#ffd54f" : "#ffffff"
                text: (modelData.playing ? "▶ " : "") + modelData.text
            }
            SlotButton {
                objectName: list.namePrefix + "TakeOut" + index
                width: 20
                visible: !modelData.playing
                text: qsTr("X")
                onClicked: list.takeOut(modelData.key)
            }
        }
    }
}
