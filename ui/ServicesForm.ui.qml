import QtQuick 2.14
import QtQuick.Controls 2.14
import QtQuick.Controls.Material 2.14
import Kestro 1.0

// Each service's box and the last status line.
Page {
    id: page
    property alias output: output

    // One box a service, in the registry's order; they scroll above the status line when a
    // login's code makes them taller than the window.
    ScrollView {
        id: boxes
        objectName: "servicesScroll"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: outputGroup.top
        contentWidth: availableWidth
        contentHeight: serviceColumn.height
        clip: true

        Column {
            id: serviceColumn
            width: boxes.availableWidth
            spacing: 5

            Repeater {
                model: MainWindow.services
                ServiceBox {
                    width: parent.width
                    service: modelData
                }
            }
        }
    }
    GroupBox {
        id: outputGroup
        title: qsTr("Отладка")
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: 72
        padding: 0
        Rectangle {
            id: outputBG
            color: "#222222"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.margins: 1
            height: outputGroup.height - 25
            Text {
                id: output
                objectName: "output"
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                clip: true
                color: "#ababab"
                font.pixelSize: 12
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                anchors.margins: 1
                height: outputBG.height
                text: MainWindow.output
            }
        }
    }
}
