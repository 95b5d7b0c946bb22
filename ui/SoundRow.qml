import QtQuick 2.14
import QtQuick.Controls 2.14
import Kestro 1.0

// One sound slot of the Alerts tab: choose, play, test and clear.
Item {
    id: row
    property string label
    property string prefix
    property string type

    Label {
        objectName: row.prefix + "SoundLabel"
        x: 10
        y: 1
        width: 40
        font.pixelSize: 12
        text: row.label
    }
    SlotButton {
        objectName: row.prefix + "SoundButton"
        x: 60
        width: 60
        text: qsTr("Выбор")
        onClicked: MainWindow.alertsTab.openSoundFileDialog(row.type)
    }
    Text {
        objectName: row.prefix + "SoundText"
        x: 125
        y: 2
        width: 160
        color: "#ffffff"
        clip: true
        elide: Text.ElideLeft
        text: MainWindow.alertsTab.soundFiles[row.type] || ""
    }
    SlotButton {
        objectName: row.prefix + "SoundTestButton"
        x: 290
        text: qsTr("Звук")
        onClicked: MainWindow.alertsTab.playSound(row.type)
    }
    SlotButton {
        objectName: row.prefix + "FullTestButton"
        x: 340
        text: qsTr("Тест")
        onClicked: MainWindow.alertsTab.fullTest(row.type)
    }
    SlotButton {
        objectName: row.prefix + "RemoveButton"
        x: 390
        width: 20
        text: qsTr("X")
        onClicked: MainWindow.alertsTab.removeSound(row.type)
    }
}
