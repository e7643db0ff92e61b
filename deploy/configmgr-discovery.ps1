# Configuration Manager configuration item, discovery script of a String
# setting: its value is quillmerec's verdict, and the compliance rule wants it
# to equal "No findings.". Configuration Manager takes a script's non-zero exit
# code as a failure of the discovery, not as non-compliance: so a finding (1)
# ends with 0 and is judged by the rule, while a bad command line or a refused
# read (2 and up) is passed on.
[Console]::OutputEncoding = [Text.Encoding]::UTF8
$program = Join-Path $PSScriptRoot 'quillmerec.exe'
if (-not (Test-Path -LiteralPath $program)) { $program = Join-Path $env:ProgramW6432 'Quillmere\quillmerec.exe' }
$verdict = & $program check /stock | Select-Object -Last 1
if ($LASTEXITCODE -gt 1) { exit $LASTEXITCODE }
$verdict
exit 0
