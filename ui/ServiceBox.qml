import QtQuick 2.14
import QtQuick.Controls 2.14
import Kestro 1.0

// One service's box on the Services tab: its title and link state, the fields it needs (stored
// as they are typed) and its start button.
Item {
    id: box
    property var service // a ChatService
    implicitHeight: rows.y + rows.height + 13

    GroupBox {
        id: group
        title: box.service.title
        anchors.fill: parent
    }
    ConnectionMark {
        objectName: box.service.id + "Mark"
        x: group.label.x + Math.round(group.label.contentWidth) + 24
        y: 2
        link: box.service.link
    }
    Column {
        id: rows
        y: 40
        spacing: 10

        Repeater {
            id: fields
            model: box.service.fields

            InputRow {
                inputName: modelData.name + "Input"
                label.text: qsTranslate("ServicesForm", modelData.label)
                input.text: Utils.form.fields[modelData.name] || ""
                input.echoMode: modelData.secret ? TextInput.Password : TextInput.Normal
                next: fields.count ? fields.itemAt((index + 1) % fields.count).input : null
                previous: fields.count ? fields.itemAt((index + fields.count - 1) % fields.count).input : null
                button: startButton
                onEdited: Utils.form.setField(modelData.name, text)
            }
        }
        StartButton {
            id: startButton
            objectName: box.service.id + "StartButton"
            running: box.service.running
            onClicked: MainWindow.toggleService(box.service.id)
        }
    }
}
