import QtQuick 2.14
import QtQuick.Controls 2.14
import QtQuick.Controls.Material 2.14
import Kestro 1.0

// A service's login on its box: the button, then the code to confirm in the browser, then the
// account it is logged in as.
Column {
    id: box
    property var account // a TwitchAccount
    property string title
    property string clientIdField
    readonly property int loggedOut: 0
    readonly property int waiting: 1
    spacing: 10

    InputRow {
        visible: box.account.needsClientId && box.account.state === box.loggedOut
        inputName: box.clientIdField + "Input"
        label.text: qsTr("Client ID приложения:")
        label.font.pixelSize: 11
        input.text: Utils.form.fields[box.clientIdField] || ""
        button: logIn
        onEdited: Utils.form.setField(box.clientIdField, text)
    }
    Label {
        visible: box.account.needsClientId && box.account.state === box.loggedOut
        x: 20
        width: 382
        wrapMode: Text.Wrap
        font.pixelSize: 11
        color: "#ababab"
        textFormat: Text.PlainText
        text: qsTr("Зарегистрируйте приложение на dev.twitch.tv (Console → Applications), тип клиента Public, адрес перенаправления любой, и впишите его Client ID.")
    }
    Item {
        width: 402
        height: 22
        Label {
            x: 20
            anchors.verticalCenter: parent.verticalCenter
            textFormat: Text.PlainText
            elide: Text.ElideRight
            width: logOut.visible ? logOut.x - 30 : 120
            text: box.account.state === box.loggedOut ? qsTr("Аккаунт:")
                  : box.account.state === box.waiting ? qsTr("Код:")
                  : qsTr("Вошли как %1").arg(box.account.login)
        }
        Button {
            id: logIn
            objectName: "accountLogIn"
            visible: box.account.state === box.loggedOut
            x: 150
            width: 252
            height: 22
            padding: 0
            topInset: 0
            bottomInset: 0
            Material.background: Material.Purple
            text: qsTr("Войти через %1").arg(box.title)
            onClicked: box.account.logIn()
        }
        TextEdit {
            objectName: "accountCode"
            visible: box.account.state === box.waiting
            x: 150
            anchors.verticalCenter: parent.verticalCenter
            readOnly: true
            selectByMouse: true
            color: "#ffffff"
            font.pixelSize: 26
            font.bold: true
            font.letterSpacing: 3
            text: box.account.userCode
        }
        Button {
            id: logOut
            objectName: "accountLogOut"
            visible: box.account.state > box.waiting
            x: 222
            width: 180
            height: 22
            padding: 0
            topInset: 0
            bottomInset: 0
            text: qsTr("Выйти из аккаунта")
            onClicked: box.account.logOut()
        }
    }
    Item {
        visible: box.account.state === box.waiting
        width: 402
        height: 22
        Text {
            objectName: "accountLink"
            x: 20
            width: 250
            anchors.verticalCenter: parent.verticalCenter
            textFormat: Text.PlainText
            elide: Text.ElideMiddle
            color: "#8ab4f8"
            font.underline: true
            text: box.account.verificationUri
            MouseArea {
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor
                onClicked: Qt.openUrlExternally(box.account.verificationUri)
            }
        }
        Button {
            x: 280
            width: 122
            height: 22
            padding: 0
            topInset: 0
            bottomInset: 0
            text: qsTr("Копировать")
            onClicked: {
                clipboard.text = box.account.verificationUri
                clipboard.selectAll()
                clipboard.copy()
            }
        }
        TextEdit {
            id: clipboard
            visible: false
        }
    }
    Label {
        visible: box.account.state === box.waiting
        x: 20
        textFormat: Text.PlainText
        color: "#ababab"
        text: qsTr("Ждём подтверждения… осталось %1 мин").arg(box.account.minutesLeft)
    }
}
