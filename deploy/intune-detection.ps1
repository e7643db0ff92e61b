# Intune Remediations, detection script: quillmerec checks the three tool keys
# against their stock lines. Exit 1 (a finding) has Intune run the
# remediation script; the verdict is the last line of the output, which is the
# line Intune keeps.
[Console]::OutputEncoding = [Text.Encoding]::UTF8
$program = Join-Path $PSScriptRoot 'quillmerec.exe'
if (-not (Test-Path -LiteralPath $program)) { $program = Join-Path $env:ProgramW6432 'Quillmere\quillmerec.exe' }
& $program check /stock
exit $LASTEXITCODE
