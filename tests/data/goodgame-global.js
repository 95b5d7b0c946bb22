/* GoodGame smile catalogue, in the shape the static host serves it. */
(function(){var t=function(){return 1};window.gg=t})();
var Global = {
  Smiles: [
    {id: 1, name: "smile", animated: true, img_gif: "https://gg.test/s/smile.gif", img_big: "https://gg.test/s/smile.png", channel_id: 0, premium: false, paid: false, donat: "0"},
    {id: 2, name: "still", animated: false, img_gif: "https://gg.test/s/still.gif", img_big: 'https://gg.test/s/still.png', channel_id: "0", premium: !1, paid: !1, donat: 0},
    {id: 3, name: "dup", animated: false, img_gif: "", img_big: "https://gg.test/s/dup-global.png", channel_id: 0, premium: false, paid: false, donat: 0},
  ],
  Channel_Smiles: {
    "5": [
      {"id": 10, "name": "prem", "animated": true, "img_gif": "https://gg.test/c/prem.gif", "img_big": "https://gg.test/c/prem.png", "channel_id": 5, "premium": true, "paid": false, "donat": "0"},
      {"id": 11, "name": "paid3", "animated": true, "img_gif": "https://gg.test/c/paid3.gif", "img_big": "https://gg.test/c/paid3.png", "channel_id": 5, "premium": false, "paid": true, "donat": "3"},
      {"id": 12, "name": "dup", "animated": false, "img_gif": "", "img_big": "https://gg.test/c/dup-5.png", "channel_id": 5, "premium": false, "paid": false, "donat": 0}
    ],
    "7": []
  },
  Version: 1.5e3
};
