// The page object of the chat and events pages. The program reaches it only through
// short calls of the form "Kestro.operation(arguments)".
"use strict";

var STEP_DX = 1.5;
// The newest lines a page keeps: an eight-hour stream must not slow the page down. The older
// ones leave a few hundred at a time: every line removed from the top moves all the others, and
// the engine would lay out and draw the whole list again for each.
var MAX_LINES = 1000;
var TRIM_LINES = 250;
// Above this many lines a second nobody reads single lines: they go in together a few times
// a second, the view jumps to the newest instead of gliding, and there is no entry animation.
var CALM_RATE = 4;
var BUSY_BATCH_MS = 200;

var Kestro = {
    autoscroll: true,
    $body: null,
    $font: null,
    $list: null,
    lastAnimation: "",
    showBubbles: false,
    nextDx: -1 * STEP_DX,
    pendingScroll: null,
    scrollBehavior: "smooth",
    arrivals: [], // when the last second's lines came
    waiting: [],  // a busy chat's lines until their batch goes in
    batchTimer: null,
    bubbles: [],        // the bubbles still rising
    bubbleTimer: null,  // runs only while bubbles are on or still rising

    hasList: function () {
        return this.$list !== null;
    },

    addMessage: function (html, alert) {
        if (!this.hasList())
            return;
        var item = KestroLine.item(html, alert);
        if (this.busy())
            return this.batch(item);
        this.flush();
        this.$list.classList.remove("busy");
        this.appendLines(item);
        if (this.autoscroll)
            this.scrollList(this.$list);
    },

    busy: function () {
        var now = Date.now();
        this.arrivals.push(now);
        while (this.arrivals[0] < now - 1000)
            this.arrivals.shift();
        return this.arrivals.length > CALM_RATE;
    },

    batch: function (item) {
        this.waiting.push(item);
        if (this.batchTimer !== null)
            return;
        var self = this;
        this.batchTimer = setTimeout(function () {
            self.flush();
        }, BUSY_BATCH_MS);
    },

    // The waiting lines in one update, and the view at once at the newest.
    flush: function () {
        if (this.batchTimer !== null) {
            clearTimeout(this.batchTimer);
            this.batchTimer = null;
        }
        if (!this.waiting.length)
            return;
        var lines = document.createDocumentFragment();
        this.waiting.forEach(function (item) {
            lines.appendChild(item);
        });
        this.waiting = [];
        this.$list.classList.add("busy");
        this.appendLines(lines);
        if (!this.autoscroll)
            return;
        // The jump takes the place of a glide still pending.
        if (this.pendingScroll !== null) {
            clearTimeout(this.pendingScroll);
            this.pendingScroll = null;
        }
        window.scrollTo({ top: this.$list.offsetHeight, left: 0, behavior: "auto" });
    },

    appendLines: function (lines) {
        this.$list.appendChild(lines);
        var extra = this.$list.childElementCount - MAX_LINES;
        if (extra < TRIM_LINES)
            return;
        var old = document.createRange();
        old.setStartBefore(this.$list.firstElementChild);
        old.setEndAfter(this.$list.children[extra - 1]);
        old.deleteContents();
    },

    // One scroll at most is pending, with the behaviour of the latest request. It keeps its
    // time, so a steady flood of lines still moves the view ten times a second and the end
    // is reached at most 100 ms after the newest line.
    scrollList: function (list, behavior_mode) {
        this.scrollBehavior = behavior_mode || "smooth";
        if (this.pendingScroll !== null)
            return;
        var self = this;
        this.pendingScroll = setTimeout(function () {
            self.pendingScroll = null;
            window.scrollTo({ top: list.offsetHeight, left: 0, behavior: self.scrollBehavior });
        }, 100);
    },

    setCustomCSS: function (css) {
        var style = document.head.querySelector("style#custom");
        if (!style) {
            style = document.createElement("style");
            style.id = "custom";
            document.head.appendChild(style);
        }
        style.textContent = "";
        style.textContent = decodeURIComponent(css);
    },

    setColor: function (color) {
        if (this.$body)
            this.$body.style.color = color;
    },

    setBGColor: function (color) {
        if (this.$body)
            this.$body.style.backgroundColor = color;
    },

    setFontFamily: function (font) {
        if (!this.$font)
            return;
        var self = this;
        this.$font.href = "https://fonts.googleapis.com/css?family=" +
            String(font.name).replace(/\s/g, "+") + "&display=swap";
        this.$body.style.fontFamily = "'" + font.name + "', " + font.type;
        setTimeout(function () {
            self.scrollList(self.$list, "auto");
        }, 500);
    },

    setFontSize: function (size) {
        if (this.$body)
            this.$body.style.fontSize = size + "px";
    },

    setAnimation: function (name) {
        if (!this.hasList())
            return;
        if (this.lastAnimation)
            this.$list.classList.remove(this.lastAnimation);
        this.lastAnimation = name;
        if (name)
            this.$list.classList.add(name);
    },

    turnPause: function (mode) {
        var bar = document.querySelector(".alerts-pause");
        if (bar)
            bar.classList.toggle("hidden", !mode);
    },

    // The list items holding an element with this class, in document order, once each.
    itemsWith: function (className) {
        var items = [];
        if (!this.hasList() || !className)
            return items;
        this.flush(); // a waiting line is in the list first, so none escapes moderation
        var found = this.$list.getElementsByClassName(className);
        for (var i = 0; i < found.length; ++i) {
            var item = found[i].closest("li");
            if (item && items.indexOf(item) < 0)
                items.push(item);
        }
        return items;
    },

    strike: function (item) {
        item.style.textDecoration = "line-through";
        item.style.color = "#888";
    },

    strikeMessage: function (messageClass) {
        var items = this.itemsWith(messageClass);
        if (items.length)
            this.strike(items[items.length - 1]);
    },

    strikeMessages: function (userClass) {
        this.itemsWith(userClass).forEach(this.strike);
    },

    removeMessage: function (messageClass) {
        var items = this.itemsWith(messageClass);
        if (items.length)
            items[items.length - 1].remove();
    },

    removeMessages: function (userClass) {
        this.itemsWith(userClass).forEach(function (item) {
            item.remove();
        });
    },

    toggleBubbles: function (value) {
        this.showBubbles = !!value;
        if (this.showBubbles && this.bubbleTimer === null) {
            var self = this;
            this.bubbleTimer = setInterval(function () {
                self.tickBubbles();
            }, 100);
        }
    },

    tickBubbles: function () {
        this.addBubbles();
        this.moveBubbles();
        if (this.showBubbles || this.bubbles.length)
            return;
        clearInterval(this.bubbleTimer);
        this.bubbleTimer = null;
    },

    getDx: function () {
        var dx = this.nextDx;
        this.nextDx += STEP_DX;
        if (this.nextDx > STEP_DX)
            this.nextDx = -STEP_DX;
        return dx;
    },

    addBubbles: function () {
        if (!this.showBubbles || !this.hasList())
            return;
        var item = this.$list.lastElementChild;
        if (!item || item.classList.contains("was-bubbled"))
            return;
        item.classList.add("was-bubbled");
        var emotes = item.querySelectorAll("img.emote");
        if (!emotes.length)
            return;
        var k = Math.round(Math.random() * (emotes.length - 1));
        var bubble = emotes[k].cloneNode(true);
        bubble.classList.add("bubble");
        bubble.style.bottom = (window.innerHeight - this.$body.offsetHeight) + "px";
        bubble.dataset.dx = this.getDx();
        bubble.dataset.steps = 40;
        this.$body.appendChild(bubble);
        this.bubbles.push(bubble);
    },

    moveBubbles: function () {
        this.bubbles = this.bubbles.filter(this.moveBubble, this);
    },

    // False once the bubble has faded away.
    moveBubble: function (bubble) {
        var computed = window.getComputedStyle(bubble);
        var opacity = parseFloat(computed.opacity);
        var steps = parseInt(bubble.dataset.steps, 10);
        if (steps > 0)
            bubble.dataset.steps = steps - 1;
        else
            opacity -= 0.01;
        if (opacity <= 0.1) {
            bubble.remove();
            return false;
        }
        var left = parseInt(computed.left, 10) + (Math.random() - 0.5) * 3 +
            parseInt(bubble.dataset.dx, 10);
        var bottom = parseInt(computed.bottom, 10) + 3;
        bubble.style.left = Math.round(left) + "px";
        bubble.style.bottom = Math.round(bottom) + "px";
        bubble.style.opacity = opacity;
        return true;
    },

    toggleAutoscroll: function () {
        var bar = document.querySelector(".no-autoscroll");
        if (!bar)
            return;
        this.autoscroll = !this.autoscroll;
        bar.classList.toggle("hidden", this.autoscroll);
        if (this.autoscroll)
            this.scrollList(this.$list, "auto");
    },

    ready: function () {
        this.$body = document.body;
        this.$font = document.getElementById("font");
        this.$list = document.querySelector(".message-list");

        var self = this;
        if (this.$list) {
            this.$list.addEventListener("dblclick", function () {
                self.toggleAutoscroll();
            });
        }
    }
};

document.addEventListener("DOMContentLoaded", function () {
    Kestro.ready();
});
