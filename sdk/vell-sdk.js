// window.vell: the launcher's SDK as pages see it.
//
// Every action is a function taking a payload object and returning a Promise.
// The Promise resolves with the launcher's answer (parsed when it is JSON,
// null when there is none) or rejects with an Error whose `code` is the
// answer's error code. The launcher pushes changes into pages through the
// `$$notify…` entry points; pages subscribe with `on…(handler)`, which returns
// a function that unsubscribes.
//
// This file is installed as a V8 extension and runs in every frame before the
// page's own scripts.
var vell;
(function () {
  'use strict';

  // Arguments: 0 action name, 1 {json}, 3 callback, 5 {host, hostname}.
  // Where the runtime lets a native function answer later, the call returns a
  // Promise that rejects when the launcher refuses the call; elsewhere the
  // refusal is thrown.
  native function VellNativeCall(); // async

  var PREFIX = 'jssdk::';

  // module -> actions; "data:" getters live under module.data.
  var ACTIONS = {
    accountModule: [
      'bindAccount', 'getAccountAssociateMobilePhone', 'loginSuccess', 'logout', 'riskLimitResult',
      'selectAccount', 'setAccountAssociateMobilePhone', 'unbindAccount', 'data:getLoginUserData',
    ],
    basicModule: [
      'data:getRemoteConfigData', 'data:getChannelRemoteConfigData', 'data:isFirstLaunch', 'pingPong', 'emit',
      'localStorage', 'moveWindow',
    ],
    browserModule: [
      'browserBack', 'browserForward', 'reload', 'reloadWithoutCache', 'browserWindowState', 'pageReady',
    ],
    dataAnalysisModule: ['report'],
    gameModule: [
      'addGame', 'switchGame', 'createGameTask', 'selectInstallDirectory', 'saveGameServerSelection',
      'execGameTool', 'data:getGameLibraries', 'data:getGameSelections', 'data:getGameDownloadStatus',
      'data:getGameInfo', 'data:getGameInstallerBasicInfo', 'data:getGameToolInfo', 'data:getGamePolicies',
      'data:getRatingSystemInfo', 'data:getGameServerList', 'data:getGameRecentServerList',
      'data:getGameCurrentSelectedServer', 'data:getExtensionCard', 'data:getSeasonList', 'data:getSeasonData',
      'data:getGameRecord', 'data:getGameZonePageConfig',
    ],
    networkModule: ['request'],
    uiModule: [
      'closeWebDialog', 'openConfirmDialog', 'openDialog', 'openGameServerDialog', 'openWebDialog', 'toast',
      'updateWebDialog', 'closeConfirmDialog', 'openInExplorer', 'closeCurrentWebDialog',
    ],
    settingsModule: ['saveSettings', 'updateSettings', 'data:getSettings'],
  };

  // module -> notifications the launcher pushes: `$$notify<Name>` delivers to
  // `on<Name>` handlers.
  var NOTIFICATIONS = {
    accountModule: ['AccountChanged'],
    browserModule: ['WindowNormalSizeChanged'],
    gameModule: [
      'GameCurrentSelectedServerChanged', 'GameDownloadStatusChanged', 'ExtensionCardChanged',
      'GameRecordChanged', 'SeasonDataChanged', 'SeasonListChanged',
    ],
    uiModule: ['Toast'],
  };

  function parseAnswer(text) {
    if (text === null || text === undefined || text === '') return null;
    try {
      return JSON.parse(text);
    } catch (e) {
      return text;
    }
  }

  function toJson(payload) {
    var json = JSON.stringify(payload === undefined ? {} : payload);
    if (typeof json !== 'string') throw new TypeError('vell: the payload cannot be sent as JSON');
    return json;
  }

  function failure(message, code) {
    var error = new Error(message);
    error.code = code;
    return error;
  }

  // Sends one action; throws at once for a payload that is not JSON. Every
  // call settles: an action the launcher does not serve (a name without the
  // "jssdk::" prefix among them) rejects with the code "#ActionNotFound", a
  // native call that fails otherwise with "#NativeCallFailed".
  function invoke(action, payload) {
    var settle;
    var promise = new Promise(function (resolve, reject) {
      settle = { resolve: resolve, reject: reject };
    });
    var callback = function (answer, code) {
      if (arguments.length >= 2) {
        settle.reject(failure(String(answer), String(code)));
        return;
      }
      settle.resolve(parseAnswer(answer));
    };
    var refuse = function (e) {
      var message = String(e && e.message);
      var refused = message.indexOf('message name is invalid') >= 0;
      settle.reject(failure(message, refused ? '#ActionNotFound' : '#NativeCallFailed'));
    };
    var json = toJson(payload);
    try {
      var sent = VellNativeCall(action, { json: json }, undefined, callback, undefined,
                                { host: location.host, hostname: location.hostname });
      if (sent && typeof sent.then === 'function') sent.then(null, refuse);
    } catch (e) {
      refuse(e);
    }
    return promise;
  }

  function makeHandlers() {
    var handlers = [];
    return {
      add: function (handler) {
        if (typeof handler !== 'function') throw new TypeError('vell: a handler must be a function');
        handlers.push(handler);
        return function () {
          var index = handlers.indexOf(handler);
          if (index >= 0) handlers.splice(index, 1);
        };
      },
      deliver: function (value) {
        handlers.slice().forEach(function (handler) {
          try {
            handler(value);
          } catch (e) {
            console.error('vell: a handler threw', e);
          }
        });
      },
    };
  }

  function build() {
    var sdk = { invoke: invoke };
    Object.keys(ACTIONS).forEach(function (module) {
      var target = sdk[module] = { data: {} };
      ACTIONS[module].forEach(function (entry) {
        var isData = entry.indexOf('data:') === 0;
        var name = isData ? entry.slice(5) : entry;
        var action = PREFIX + module + ':' + entry;
        (isData ? target.data : target)[name] = function (payload) { return invoke(action, payload); };
      });
    });
    Object.keys(NOTIFICATIONS).forEach(function (module) {
      NOTIFICATIONS[module].forEach(function (name) {
        var handlers = makeHandlers();
        sdk[module]['$$notify' + name] = handlers.deliver;
        sdk[module]['on' + name] = handlers.add;
      });
    });
    // The injected page-ready script calls it by this name.
    sdk.browserModule.PageReady = sdk.browserModule.pageReady;
    // The launcher broadcasts events with registerEmitHandler(event); pages
    // subscribe with onEmit(handler) (or registerEmitHandler(handler)).
    var emitHandlers = makeHandlers();
    sdk.basicModule.onEmit = emitHandlers.add;
    sdk.basicModule.registerEmitHandler = function (value) {
      if (typeof value === 'function') return emitHandlers.add(value);
      emitHandlers.deliver(value);
      return undefined;
    };
    return sdk;
  }

  vell = build();
  if (typeof window !== 'undefined') window.vell = vell;
})();
