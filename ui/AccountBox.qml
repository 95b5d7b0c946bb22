import QtQuick 2.14
import QtQuick.Controls 2.14
import QtQuick.Controls.Material 2.14
import Kestro 1.0

// A service's login on its box: the button, then the code to confirm in the browser (or, for a
// login that comes back from the browser, the consent page's address and a field for the address
// the browser ended on), then the account it is logged in as.
Column {
    id: box
    property var account // a TwitchAccount or a service's BrowserLogin
    property string title
    property string prefix // the service's id, before each control's name
    readonly property string clientIdField: box.prefix + "ClientId"
    readonly property int loggedOut: 0
    readonly property int waiting: 1
    readonly property bool byCode: box.account.userCode !== undefined
    readonly property string link: box.byCode ? box.account.verificationUri : box.account.authorizeUrl
    spacing: 10

    InputRow {
        visible: box.account.needsClientId && box.account.state === box.loggedOut
        inputName: box.clientIdField + "Input"
        label.text: box.byCode ? qsTr("Client ID приложения:") : qsTr("ID приложения:")
        label.font.pixelSize: 11
        input.text: Utils.form.fields[box.clientIdField] || ""
        button: logIn
        onEdited: Utils.form.setField(box.clientIdField, text)
    }
    // Selectable: the redirect address is to be copied into the application's form.
    TextEdit {
        visible: box.account.needsClientId && box.account.state === box.loggedOut
        x: 20
        width: 382
        wrapMode: Text.Wrap
        font.pixelSize: 11
        color: "#ababab"
        textFormat: Text.PlainText
        readOnly: true
        selectByMouse: true
        text: box.byCode ? qsTr("Зарегистрируйте приложение на dev.twitch.tv (Console → Applications), тип клиента Public, адрес перенаправления любой, и впишите его Client ID.")
                         : box.account.clientIdSteps
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
                  : box.account.state === box.waiting ? (box.byCode ? qsTr("Код:") : qsTr("Вход:"))
                  : qsTr("Вошли как %1").arg(box.account.login)
        }
        Button {
            id: logIn
            objectName: box.prefix + "LogIn"
            visible: box.account.state === box.loggedOut
            x: 150
            width: 252
            height: 22
            padding: 0
            topInset: 0
            bottomInset: 0
            Material.background: Material.Purple
            text: qsTr("Войти через %1").arg(box.title)
            onClicked: {
                box.account.logIn()
                if (!box.byCode && box.account.state === box.waiting)
                    Qt.openUrlExternally(box.account.authorizeUrl)
            }
        }
        TextEdit {
            objectName: box.prefix + "Code"
            visible: box.byCode && box.account.state === box.waiting
            x: 150
            anchors.verticalCenter: parent.verticalCenter
            readOnly: true
            selectByMouse: true
            color: "#ffffff"
            font.pixelSize: 26
            font.bold: true
            font.letterSpacing: 3
            text: box.byCode ? box.account.userCode : ""
        }
        Button {
            id: logOut
            objectName: box.prefix + "LogOut"
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
        // A browser login that will not come back is given up here.
        Button {
            objectName: box.prefix + "Cancel"
            visible: !box.byCode && box.account.state === box.waiting
            x: 282
            width: 120
            height: 22
            padding: 0
            topInset: 0
            bottomInset: 0
            text: qsTr("Отмена")
            onClicked: box.account.logOut()
        }
    }
    Item {
        visible: box.account.state === box.waiting
        width: 402
        height: 22
        Text {
            objectName: box.prefix + "Link"
            x: 20
            width: 250
            anchors.verticalCenter: parent.verticalCenter
            textFormat: Text.PlainText
            elide: Text.ElideMiddle
            color: "#8ab4f8"
            font.underline: true
            text: box.link
            MouseArea {
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor
                onClicked: Qt.openUrlExternally(box.link)
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
                clipboard.text = box.link
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
        text: box.byCode ? qsTr("Ждём подтверждения… осталось %1 мин").arg(box.account.minutesLeft)
                         : qsTr("Ждём входа в браузере…")
    }
    // A browser elsewhere (or one that did not come back) leaves its address to paste.
    InputRow {
        id: addressRow
        visible: !box.byCode && box.account.state === box.waiting
        inputName: box.prefix + "AddressInput"
        label.text: qsTr("Адрес из браузера:")
        label.font.pixelSize: 11
        button: takeAddress
        onEdited: {
            if (text.indexOf("access_token=") >= 0 || text.indexOf("error=") >= 0)
                box.account.takeAddress(text)
        }
    }
    Button {
        id: takeAddress
        visible: false
        onClicked: box.account.takeAddress(addressRow.input.text)
    }
}
