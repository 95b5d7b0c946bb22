import QtQuick 2.14
import QtQuick.Controls 2.14
import Kestro 1.0

// The alert queue in the streamer's hands: where it plays, the one playing and what waits,
// skip, take out and pause.
Item {
    id: group
    implicitHeight: rows.y + rows.implicitHeight + 10

    GroupBox {
        title: qsTr("Очередь алертов")
        anchors.fill: parent
    }
    Column {
        id: rows
        x: 10
        y: 28
        width: parent.width - 20
        spacing: 4

        Row {
            spacing: 3
            ViewLabel { y: 8; width: 130; text: qsTr("Вывод алертов:") }
            OutputChoice {
                objectName: "alertOutput"
                setting: "alertOutput"
            }
        }
        Row {
            spacing: 6
            Button {
                objectName: "alertSkip"
                width: 110
                height: 30
                font.pixelSize: 12
                enabled: Alerts.queueRows.playing
                text: qsTr("Пропустить")
                onClicked: Alerts.skip()
            }
            Button {
                objectName: "alertPause"
                width: 110
                height: 30
                font.pixelSize: 12
                text: Alerts.alertsPause ? qsTr("Продолжить") : qsTr("Пауза")
                onClicked: MainWindow.togglePause()
            }
        }
        ViewLabel {
            visible: Alerts.queueRows.count === 0
            text: qsTr("Очередь пуста")
        }
        WaitingList {
            width: parent.width
            namePrefix: "alertQueue"
            model: Alerts.queueRows
            onTakeOut: Alerts.takeOut(key)
        }
    }
}
