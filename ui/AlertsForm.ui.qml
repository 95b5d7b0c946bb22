import QtQuick 2.14
import QtQuick.Controls 2.14
import QtQuick.Dialogs 1.3
import Kestro 1.0

// The eleven sound slots and the voice of spoken alerts.
Page {
    property alias soundFileDialog: soundFileDialog
    property alias voiceList: voiceList

    FileDialog {
        id: soundFileDialog
        objectName: "soundFileDialog"
        folder: shortcuts.music
        selectExisting: true
        title: MainWindow.soundDialogTitle
    }

    GroupBox {
        id: twitchSubGroup
        title: qsTr("Алерты на Twitch")
        anchors.left: parent.left
        anchors.right: parent.right
        height: 297
    }
    GroupBox {
        id: goodgamePremGroup
        title: qsTr("Алерты на GoodGame")
        anchors.left: parent.left
        anchors.right: parent.right
        y: 302
        height: 87
    }
    GroupBox {
        id: voiceGroup
        title: qsTr("Озвучка")
        anchors.left: parent.left
        anchors.right: parent.right
        y: 394
        height: 63
    }

    SoundRow { y: 30; label: qsTr("$5"); prefix: "twitchSubOne"; type: "sub1" }
    SoundRow { y: 60; label: qsTr("$10"); prefix: "twitchSubTwo"; type: "sub2" }
    SoundRow { y: 90; label: qsTr("$25"); prefix: "twitchSubThree"; type: "sub3" }
    SoundRow { y: 120; label: qsTr("Prime"); prefix: "twitchSubPrime"; type: "prime" }
    SoundRow { y: 150; label: qsTr("Gift"); prefix: "twitchSubGift"; type: "gift" }
    SoundRow { y: 180; label: qsTr("Bits"); prefix: "twitchBits"; type: "bits" }
    SoundRow { y: 210; label: qsTr("Raid"); prefix: "twitchRaid"; type: "raid" }
    SoundRow { y: 240; label: qsTr("Host"); prefix: "twitchHost"; type: "host" }
    SoundRow { y: 270; label: qsTr("Follow"); prefix: "twitchFollow"; type: "follow" }
    SoundRow { y: 332; label: qsTr("Premium"); prefix: "goodgamePrem"; type: "prem" }
    SoundRow { y: 362; label: qsTr("Донат"); prefix: "goodgameDonat"; type: "donat" }

    Label {
        id: voiceLabel
        x: 10
        y: 427
        text: qsTr("Голос:")
    }
    ListBox {
        id: voiceList
        objectName: "voiceList"
        x: 60
        y: 422
        width: 200
        height: 30
        editable: false
        model: Utils.voiceList
        translated: true
        currentIndex: Utils.form.voiceIndex
    }
}
