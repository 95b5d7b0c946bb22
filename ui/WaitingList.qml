import QtQuick 2.14
import QtQuick.Controls 2.14

// What waits to be played, one row each, the one playing marked; a waiting row can be taken
// out. The texts are the viewers' and only ever shown as plain text. A long queue scrolls
// within a few rows: only the rows in view are made.
ListView {
    id: list
    property string namePrefix
    readonly property int rowHeight: 22
    readonly property int rowsInView: 10
    signal takeOut(var key)

    height: Math.min(count, rowsInView) * rowHeight
    interactive: count > rowsInView
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: ScrollBar { policy: list.interactive ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff }

    delegate: Row {
        height: list.rowHeight
        spacing: 4
        ViewLabel {
            objectName: list.namePrefix + "Row" + index
            y: 2
            width: list.width - 30
            elide: Text.ElideRight
            color: model.playing ? "#ffd54f" : "#ffffff"
            text: (model.playing ? "▶ " : "") + model.text
        }
        SlotButton {
            objectName: list.namePrefix + "TakeOut" + index
            width: 20
            visible: !model.playing
            text: qsTr("X")
            onClicked: list.takeOut(model.key)
        }
    }
}
