import QtQuick 2.14
import QtQuick.Controls 2.14
import QtWebEngine 1.10
import Kestro 1.0

// The events page, on which queued alerts are shown.
Page {
    property alias alertView: alertView

    WebEngineView {
        id: alertView
        objectName: "alertView"
        userScripts: WebEngineScript {
            injectionPoint: WebEngineScript.DocumentReady
            worldId: WebEngineScript.MainWorld
            sourceCode: MainWindow.pageLooks
        }
        url: "qrc:/web/alerts.html"
        anchors.fill: parent
    }
}
