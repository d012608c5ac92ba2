// SPDX-License-Identifier: GPL-3.0-or-later
// The plug-in as JScript sees it through IDispatch. Run by Wine's cscript;
// the last line says how many checks failed.
var fails = 0;
function check(ok, what) {
    WScript.Echo((ok ? "ok: " : "FAIL: ") + what);
    if (!ok) fails++;
}
function errorNumber(f) {
    try { f(); } catch (e) { return e.number & 0xFFFF; }
    return 0;
}

var plugin = new ActiveXObject("Nimbo.clsVexoPlugIn");
check(plugin.PluginName === "Nimbo", "PluginName is " + plugin.PluginName);
check(typeof plugin.PluginName === "string", "PluginName is a string");
check(errorNumber(function () { plugin.NoSuchMember(); }) === 438, "a member that does not exist: error 438");
check(errorNumber(function () { plugin.MessageHandle(15, 1, 120); }) === 438,
      "MessageHandle belongs to IVexoPlugin, not to the class's own interface");
var info = new ActiveXObject("VexoTypeLib.VexoModuleInfo");
info.Messages.Add(15);
check(info.Messages.Count === 1 && info.Messages.Item(1) === 15, "Messages.Add(15) gives one item, 15");
check(errorNumber(function () { info.Messages.Item(0); }) === 9, "Messages.Item(0): error 9");
plugin = null;
WScript.Echo("plugin.js: " + fails + " failure(s)");
WScript.Quit(fails);
