// The overlay pages for OBS: Kestro pushes lines and alerts over a WebSocket, the page draws
// them over the stream. A lost connection is tried again by itself, and what is shown stays.
"use strict";

var Overlay = {
    kind: document.body.dataset.kind,
    list: null,
    lines: 50,
    fade: 0,
    backoff: 1000,
    lastAnimation: "",

    start: function () {
        this.list = document.querySelector(".message-list");
        this.connect();
    },

    // The events come on the port after the page's own, with the page's token if it has one.
    eventsUrl: function () {
        var token = new URLSearchParams(location.search).get("token");
        var port = Number(location.port || 80) + 1;
        return "ws://" + location.hostname + ":" + port + "/overlay/events" +
            (token ? "?token=" + encodeURIComponent(token) : "");
    },

    connect: function () {
        var self = this;
        var socket = new WebSocket(this.eventsUrl());
        socket.onopen = function () {
            self.backoff = 1000;
        };
        socket.onmessage = function (message) {
            self.handle(JSON.parse(message.data));
        };
        socket.onclose = function () {
            setTimeout(function () { self.connect(); }, self.backoff);
            self.backoff = Math.min(self.backoff * 2, 30000);
        };
    },

    handle: function (event) {
        if (event.type === "welcome")
            this.list.textContent = "";
        else if (event.type === "config")
            this.configure(event);
        else if (event.type === "line" && this.kind === "chat")
            this.addLine(event.id, event.html, event.alert);
        else if (event.type === "remove")
            this.removeLine(event.id);
        else if (event.type === "alert" && this.kind === "alerts")
            this.showAlert(event.html);
        else if (event.type === "alertEnd" && this.kind === "alerts")
            this.list.textContent = "";
    },

    configure: function (config) {
        this.lines = Math.max(1, Number(config.lines) || 50);
        this.fade = Math.max(0, Number(config.fade) || 0);
        var font = config.font || {};
        if (font.name) {
            document.getElementById("font").href = "https://fonts.googleapis.com/css?family=" +
                encodeURIComponent(String(font.name)).replace(/%20/g, "+") + "&display=swap";
            document.body.style.fontFamily = "'" + String(font.name).replace(/'/g, "") + "', " +
                String(font.type || "sans-serif").replace(/[^a-z-]/g, "");
        }
        if (config.size)
            document.body.style.fontSize = Number(config.size) + "px";
        if (config.color)
            document.body.style.color = String(config.color);
        if (this.lastAnimation)
            this.list.classList.remove(this.lastAnimation);
        this.lastAnimation = String(config.animation || "");
        if (this.lastAnimation)
            this.list.classList.add(this.lastAnimation);
        var style = document.getElementById("custom");
        if (!style) {
            style = document.createElement("style");
            style.id = "custom";
            document.head.appendChild(style);
        }
        style.textContent = decodeURIComponent(String(config.css || ""));
        KestroLine.addServiceStyles(config.styles);
        this.trim();
    },

    addLine: function (id, html, alert) {
        var item = KestroLine.item(html, alert);
        item.dataset.id = id;
        this.list.appendChild(item);
        this.trim();
        if (this.fade > 0) {
            setTimeout(function () { item.classList.add("fading"); }, this.fade * 1000);
            setTimeout(function () { item.remove(); }, this.fade * 1000 + 1000);
        }
    },

    trim: function () {
        while (this.list.childElementCount > this.lines)
            this.list.firstElementChild.remove();
    },

    removeLine: function (id) {
        var item = this.list.querySelector('li[data-id="' + Number(id) + '"]');
        if (item)
            item.remove();
    },

    showAlert: function (html) {
        this.list.textContent = "";
        this.list.appendChild(KestroLine.item(html));
    }
};

Overlay.start();
