' SPDX-License-Identifier: GPL-3.0-or-later
' The plug-in and the host's classes as a script sees them: created by their
' ProgIDs, reached only through IDispatch. Run by Wine's cscript; the last
' line says how many checks failed (a script that dies prints no last line).
Option Explicit
Dim fails : fails = 0
Sub Check(ok, what)
    If ok Then
        WScript.Echo "ok: " & what
    Else
        WScript.Echo "FAIL: " & what
        fails = fails + 1
    End If
End Sub

Dim plugin : Set plugin = CreateObject("Nimbo.clsVexoPlugIn")
Check plugin.PluginName = "Nimbo", "PluginName is " & plugin.PluginName
Check TypeName(plugin) = "_clsVexoPlugIn", "TypeName is " & TypeName(plugin)
Dim x
On Error Resume Next
plugin.NoSuchMember
Check Err.Number = 438, "a member that does not exist: error " & Err.Number
Err.Clear
x = plugin.Enable()
Check Err.Number = 438, "Enable belongs to IVexoPlugin, not to the class's own interface: error " & Err.Number
Err.Clear
plugin.PluginName = "other"
Check Err.Number <> 0 And plugin.PluginName = "Nimbo", "PluginName cannot be written: error " & Err.Number
Err.Clear
On Error GoTo 0

Dim info : Set info = CreateObject("VexoTypeLib.VexoModuleInfo")
Check TypeName(info) = "IVexoModuleInfo", "VexoModuleInfo's TypeName is " & TypeName(info)
info.DisplayName = "Nimbo Lux"
info.ModuleKind = 2
Check info.DisplayName = "Nimbo Lux" And info.ModuleKind = 2, "its properties keep what is put"
info.Messages.Add 15
Check info.Messages.Count = 1 And info.Messages(1) = 15, "Messages.Add 15 gives one item, 15"
On Error Resume Next
x = info.Messages(2)
Check Err.Number = 9 And Err.Description = "Subscript out of range", "Messages(2): error " & Err.Number & " " & Err.Description
Err.Clear
info.Messages.Add 16, "key"
info.Messages.Add 17, "KEY"
Check Err.Number = 457, "a key already in use, whatever its case: error " & Err.Number
Err.Clear
On Error GoTo 0
Dim helper : Set helper = CreateObject("VexoTypeLib.VexoPluginHelper")
Check helper.HostTitle = "vexo-host", "the helper's HostTitle is " & helper.HostTitle

Set plugin = Nothing
WScript.Echo "plugin.vbs: " & fails & " failure(s)"
WScript.Quit fails
