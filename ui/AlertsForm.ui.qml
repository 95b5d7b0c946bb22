import QtQuick 2.14
import QtQuick.Controls 2.14
import QtQuick.Dialogs 1.3
import Kestro 1.0

// Each service's sound slots and the voice of spoken alerts.
Page {
    property alias soundFileDialog: soundFileDialog
    property alias voiceList: voiceList

    FileDialog {
        id: soundFileDialog
        objectName: "soundFileDialog"
        folder: shortcuts.music
        selectExisting: true
        title: MainWindow.alertsTab.soundDialogTitle
    }

    // The groups scroll when a service's slots make them taller than the window.
    ScrollView {
        id: slots
        objectName: "alertsScroll"
        anchors.fill: parent
        contentWidth: availableWidth
        contentHeight: slotColumn.height
        clip: true

        Column {
            id: slotColumn
            width: slots.availableWidth
            spacing: 5

            AlertQueueGroup {
                width: parent.width
                height: implicitHeight
            }
            // One group a service, one row a slot.
            Repeater {
                model: MainWindow.services
                Item {
                    width: parent.width
                    height: 30 * modelData.soundSlots.length + 27
                    visible: modelData.soundSlots.length > 0

                    GroupBox {
                        title: qsTr("Алерты на %1").arg(modelData.title)
                        anchors.fill: parent
                    }
                    Repeater {
                        model: modelData.soundSlots
                        SoundRow {
                            y: 30 + 30 * index
                            label: qsTranslate("AlertsForm", modelData.label)
                            prefix: modelData.prefix
                            type: modelData.name
                        }
                    }
                }
            }
            Item {
                width: parent.width
                height: 63

                GroupBox {
                    id: voiceGroup
                    title: qsTr("Озвучка")
                    anchors.fill: parent
                }
                Label {
                    id: voiceLabel
                    x: 10
                    y: 33
                    text: qsTr("Голос:")
                }
                ListBox {
                    id: voiceList
                    objectName: "voiceList"
                    x: 60
                    y: 28
                    width: 200
                    height: 30
                    editable: false
                    model: Utils.voiceList
                    translated: true
                    currentIndex: Utils.form.voiceIndex
                }
            }
            ChatSpeechGroup {
                width: parent.width
                height: implicitHeight
            }
        }
    }
}
