import QtQuick 2.14
import QtQuick.Controls 2.14
import QtWebEngine 1.10

// The events page, on which queued alerts are shown.
Page {
    property alias alertView: alertView

    WebEngineView {
        id: alertView
        objectName: "alertView"
        url: "qrc:/web/alerts.html"
        anchors.fill: parent
    }
}
