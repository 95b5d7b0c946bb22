import QtQuick 2.14
import QtQuick.Controls 2.14
import QtQuick.Controls.Material 2.14

ApplicationWindow {
    id: window
    visible: true
    width: 440
    height: 600
    title: qsTr("Kestro")

    header: TabBar {
        id: tabs
        objectName: "tabs"
        font.pixelSize: 14

        TabButton { id: servicesButton; leftPadding: 4; rightPadding: 4; text: qsTr("Сервисы") }
        TabButton { id: chatButton; leftPadding: 4; rightPadding: 4; text: qsTr("Чат") }
        TabButton { id: eventsButton; leftPadding: 4; rightPadding: 4; text: qsTr("События") }
        TabButton { id: alertsButton; leftPadding: 4; rightPadding: 4; text: qsTr("Алерты") }
        TabButton { id: viewButton; leftPadding: 4; rightPadding: 4; text: qsTr("Вид") }
    }

    StackView {
        id: stackView
        objectName: "stackView"
        anchors.fill: parent
        anchors.margins: 10
        anchors.topMargin: 25
        initialItem: bgTab

        Rectangle {
            id: bgTab
            objectName: "bgTab"
            color: Material.background
        }
    }
}
