import QtQuick 2.14
import QtQuick.Controls 2.14
import Kestro 1.0

// One service's box on the Services tab: its title and link state, its login where it has one,
// the fields it needs (stored as they are typed), its on/off choices and its start button.
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

        Loader {
            active: box.service.account !== null
            visible: active
            sourceComponent: AccountBox {
                account: box.service.account
                title: box.service.title
                prefix: box.service.id
            }
        }
        Repeater {
            id: fields
            model: box.service.fields

            Column {
                property alias input: row.input
                spacing: 10
                Label {
                    visible: modelData.heading !== ""
                    x: 20
                    font.pixelSize: 11
                    color: "#ababab"
                    textFormat: Text.PlainText
                    text: qsTranslate("ServicesForm", modelData.heading)
                }
                InputRow {
                    id: row
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
        }
        Repeater {
            model: box.service.switches

            // The caption after the switch: it is longer than a field's label.
            Switch {
                x: 10
                height: 27
                objectName: modelData.name + "Switch"
                font.pixelSize: 12
                text: qsTranslate("ServicesForm", modelData.label)
                checked: Utils.form.fields[modelData.name] === true
                onReleased: Utils.form.setSwitch(modelData.name, checked)
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
