import QtQuick 2.14
import QtQuick.Controls 2.14
import Kestro 1.0

// One labelled input of the Services tab; the form binds its text to a settings field.
Item {
    id: row
    implicitWidth: 402
    implicitHeight: 20
    property alias label: label
    property alias frame: frame
    property alias input: input
    property string inputName
    property Item next
    property Item previous
    property Button button
    signal edited(string text)

    Label {
        id: label
        x: 20
        width: 100
        textFormat: Text.PlainText
    }
    Rectangle {
        id: frame
        x: 148
        y: -2
        width: 254
        height: 20
        color: "#777777"
        border.color: "#ffffff"
    }
    TextInput {
        id: input
        objectName: row.inputName
        x: 150
        width: 250
        height: 20
        color: "#ffffff"
        font.pixelSize: 13
        clip: true
        onTextEdited: row.edited(text)
        onAccepted: row.button.clicked()
        KeyNavigation.tab: row.next
        KeyNavigation.down: row.next
        KeyNavigation.backtab: row.previous
        KeyNavigation.up: row.previous
    }
}
